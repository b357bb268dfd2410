# SPDX-License-Identifier: GPL-3.0-or-later
# Sourced by scripts/package --chroot: builds the package in a clean Debian 12
# chroot. The chroot (debootstrap minbase, then apt-get build-dep on
# debian/control) is kept in $LA16_CHROOT_CACHE, named after the build
# dependencies and the mirror, so it is made again when either changes. Each
# build runs on a throw-away overlay of it (a copy where overlayfs is
# missing), so nothing a build leaves reaches the next one. Uses $out, $deb,
# $version and fail() from scripts/package; needs root.

chroot_cache=${LA16_CHROOT_CACHE:-/var/cache/la16}
chroot_mirror=${LA16_DEBIAN_MIRROR:-http://deb.debian.org/debian}
chroot_mounts=()

chroot_mount() {  # chroot_mount TARGET MOUNT-ARGUMENTS...
  local target=$1
  shift
  mkdir -p "$target"
  mount "$@" "$target"
  chroot_mounts=("$target" "${chroot_mounts[@]}")
}

chroot_unmount() {
  local m
  for m in "${chroot_mounts[@]}"; do
    umount "$m" || umount -l "$m" || true
  done
  chroot_mounts=()
}

chroot_run() {  # chroot_run ROOT COMMAND...
  local dir=$1
  shift
  chroot "$dir" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LC_ALL=C.UTF-8 \
    DEBIAN_FRONTEND=noninteractive "$@"
}

# Makes the cached chroot when it is missing or stale; prints its path.
chroot_base() {
  local key base
  key=$({ echo "$chroot_mirror"; sed -n '/^Build-Depends:/,/^[^ ]/p' "$out/src/debian/control"; } |
    sha256sum | cut -c1-16)
  base=$chroot_cache/bookworm-build-$key
  [[ -f $base/.la16-ready ]] && { echo "$base"; return; }
  echo "== a clean Debian 12 chroot with the build dependencies, kept in $base" >&2
  local start=$SECONDS
  mkdir -p "$chroot_cache"
  rm -rf --one-file-system "$base"
  debootstrap --variant=minbase bookworm "$base" "$chroot_mirror" >"$out/debootstrap.log" 2>&1 ||
    { tail -20 "$out/debootstrap.log" >&2; fail "debootstrap failed (log: $out/debootstrap.log)"; }
  mkdir -p "$base/tmp/la16/debian"
  cp "$out/src/debian/control" "$base/tmp/la16/debian/"
  chroot_mount "$base/proc" -t proc proc
  { chroot_run "$base" apt-get -q update &&
    chroot_run "$base" apt-get -q -y --no-install-recommends build-dep /tmp/la16 &&
    chroot_run "$base" apt-get clean; } >"$out/build-dep.log" 2>&1 ||
    { chroot_unmount; tail -20 "$out/build-dep.log" >&2; fail "apt-get build-dep failed in the chroot"; }
  chroot_unmount
  rm -rf "$base/tmp/la16"
  # Older chroots, of other build dependencies, are of no further use.
  find "$chroot_cache" -maxdepth 1 -name 'bookworm-build-*' ! -path "$base" \
    -exec rm -rf --one-file-system {} +
  touch "$base/.la16-ready"
  echo "made the chroot in $((SECONDS - start)) s" >&2
  echo "$base"
}

build_in_chroot() {
  [[ $(id -u) -eq 0 ]] || fail "--chroot needs root (debootstrap, mount, chroot)"
  local base work start
  base=$(chroot_base)
  work=$(mktemp -d /var/tmp/la16-chroot-XXXXXX)
  trap 'chroot_unmount; rm -rf --one-file-system "$work"' EXIT
  mkdir -p "$work/upper" "$work/work" "$work/root"
  if mount -t overlay overlay -o "lowerdir=$base,upperdir=$work/upper,workdir=$work/work" \
    "$work/root" 2>/dev/null; then
    chroot_mounts=("$work/root")
  else
    cp -a "$base/." "$work/root"
  fi
  chroot_mount "$work/root/proc" -t proc proc
  mkdir -p "$work/root/build"
  cp -a "$out/src" "$work/root/build/src"

  echo "== dpkg-buildpackage in the chroot (la16 $version)"
  start=$SECONDS
  chroot_run "$work/root" sh -c "cd /build/src && DEB_BUILD_OPTIONS=parallel=$(nproc) \
    dpkg-buildpackage -us -uc -b" >"$out/build.log" 2>&1 ||
    { tail -40 "$out/build.log"; fail "the package did not build in the chroot (log: $out/build.log)"; }
  echo "built $(basename "$deb") in $((SECONDS - start)) s"
  cp "$work/root/build/$(basename "$deb")" "$deb"
  chroot_unmount
  rm -rf --one-file-system "$work"
  trap - EXIT
}
