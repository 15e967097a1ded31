// Placeholder until the benchmark suite lands.
int main() { return 0; }
