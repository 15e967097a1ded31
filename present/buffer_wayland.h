// buffer_wayland.h: the pictures a Wayland surface shows, of the part of the field it shows,
// in shared memory (wl_shm), two of them so that one is drawn while the compositor reads the
// other. The compositor scales them (wp_viewporter): the client sends the field's bytes
// whatever the monitor's size.
#pragma once
#include <wayland-client.h>

#include <cstddef>
#include <cstdint>

struct ShmPicture {
  wl_buffer* buffer;
  uint32_t* pixels;
  bool busy;  // attached and not yet released by the compositor
};

struct ShmPictures {
  int32_t width, height;  // pixels; rows are width x 4 bytes apart
  void* memory;
  size_t size;
  ShmPicture pictures[2];
};

// Two black XRGB8888 pictures of width x height. Returns 0 when the memory or the pool
// cannot be had.
int CreateShmPictures(wl_shm* shm, int32_t width, int32_t height, ShmPictures* pictures);
// One the compositor is not reading, or null while both are busy.
ShmPicture* FreeShmPicture(ShmPictures* pictures);
void DestroyShmPictures(ShmPictures* pictures);
