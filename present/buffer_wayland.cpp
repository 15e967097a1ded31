// buffer_wayland.cpp: two shared-memory pictures per surface.
#include "present/buffer_wayland.h"

#include <sys/mman.h>
#include <unistd.h>

namespace {

void Released(void* data, wl_buffer*) { static_cast<ShmPicture*>(data)->busy = false; }
const wl_buffer_listener kBufferListener = {Released};

}  // namespace

int CreateShmPictures(wl_shm* shm, int32_t width, int32_t height, ShmPictures* pictures) {
  *pictures = ShmPictures{};
  const size_t one = static_cast<size_t>(width) * height * 4;
  const size_t size = 2 * one;
  const int fd = memfd_create("vapryx", MFD_CLOEXEC);
  if (fd < 0) return 0;
  void* memory = MAP_FAILED;
  if (ftruncate(fd, static_cast<off_t>(size)) == 0) {
    memory = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
  }
  if (memory == MAP_FAILED) {
    close(fd);
    return 0;
  }
  // The memory is zero: black where the field never draws (the bars).
  wl_shm_pool* pool = wl_shm_create_pool(shm, fd, static_cast<int32_t>(size));
  close(fd);  // the pool holds it
  pictures->width = width, pictures->height = height;
  pictures->memory = memory, pictures->size = size;
  for (int i = 0; i < 2; ++i) {
    ShmPicture& p = pictures->pictures[i];
    p.buffer = wl_shm_pool_create_buffer(pool, static_cast<int32_t>(i * one), width, height,
                                         width * 4, WL_SHM_FORMAT_XRGB8888);
    p.pixels = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(memory) + i * one);
    wl_buffer_add_listener(p.buffer, &kBufferListener, &p);
  }
  wl_shm_pool_destroy(pool);  // the buffers keep the memory
  return 1;
}

ShmPicture* FreeShmPicture(ShmPictures* pictures) {
  for (ShmPicture& p : pictures->pictures) {
    if (p.buffer != nullptr && !p.busy) return &p;
  }
  return nullptr;
}

void DestroyShmPictures(ShmPictures* pictures) {
  for (ShmPicture& p : pictures->pictures) {
    if (p.buffer != nullptr) wl_buffer_destroy(p.buffer);
  }
  if (pictures->memory != nullptr) munmap(pictures->memory, pictures->size);
  *pictures = ShmPictures{};
}
