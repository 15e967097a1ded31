# wayland-session.sh: a private headless compositor for the Wayland tests and measurements,
# sourced by them. Compositors refuse to run as root: as root it runs as nobody, in a
# runtime folder of nobody's that root's clients may still enter.
#   start_compositor WORKDIR COMMAND...   sets compositor_pid, XDG_RUNTIME_DIR, WAYLAND_DISPLAY
#   stop_compositor

start_compositor() {
  local dir=$1 as=() runtime=$1/run; shift
  if [ "$(id -u)" -eq 0 ]; then
    as=(setpriv --reuid=65534 --regid=65534 --clear-groups)
    chown 65534:65534 "$dir"
    # The compositor's buffers and keymaps are files in /dev/shm. A root entered by chroot
    # with /dev bound may have it bare and root's (not the tmpfs a booted system mounts):
    # then the compositor gets one of its own, in a mount namespace of its own.
    if ! "${as[@]}" test -w /dev/shm; then
      # A chroot's / is no mount point: then /dev is made private, so ours stays ours.
      as=(unshare --mount --propagation unchanged sh -c
          '{ mount --make-rprivate / 2> /dev/null || mount --make-rprivate /dev; } &&
           mount -t tmpfs -o mode=1777,nosuid,nodev shm /dev/shm && exec "$@"' sh "${as[@]}")
    fi
  fi
  chmod 755 "$dir"
  rm -rf "$runtime" && mkdir -m 700 "$runtime"
  [ "$(id -u)" -eq 0 ] && chown 65534:65534 "$runtime"
  env -i PATH=/usr/bin:/bin HOME="$dir" XDG_RUNTIME_DIR="$runtime" WLR_BACKENDS=headless \
    WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman WLR_HEADLESS_OUTPUTS="${HEADLESS_OUTPUTS:-2}" \
    "${as[@]}" "$@" > "$dir/compositor.log" 2>&1 < /dev/null &
  compositor_pid=$!
  export XDG_RUNTIME_DIR=$runtime
  local end=$((SECONDS + 20))
  until compgen -G "$runtime/wayland-[0-9]" > /dev/null; do
    [ $SECONDS -ge $end ] && return 1
    sleep 0.1
  done
  WAYLAND_DISPLAY=$(basename "$(compgen -G "$runtime/wayland-[0-9]" | head -n1)")
  export WAYLAND_DISPLAY
}

stop_compositor() {
  if [ -n "${compositor_pid:-}" ]; then
    kill "$compositor_pid" 2> /dev/null || true
    wait "$compositor_pid" 2> /dev/null || true
  fi
  compositor_pid=
}
