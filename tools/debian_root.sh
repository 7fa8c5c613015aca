#!/usr/bin/env bash
# Shared by the stages that run the project inside a fresh Debian root
# (tools/stages/debian13.sh and packager.sh); sourced, not run.
# A minimal root per Debian release is made once with debootstrap, from the
# mirror that the machine's own apt uses, and kept in a cache folder outside
# the clone. Each run works in a throw-away overlay on top of it, so every run
# starts from a fresh install; downloaded packages are kept between runs.
#
# The caller sets dr_name (its own name, for messages) before sourcing, and
# calls dr_open, then dr_run / dr_run_as_user, and leaves the unmounting to the
# EXIT trap that dr_open sets.

# The cache: GRAPNEL_CACHE_DIR, else the user's cache folder.
dr_cache=${GRAPNEL_CACHE_DIR:-${XDG_CACHE_HOME:-$HOME/.cache}/grapnel}/debian-roots
# The user who plays and tests inside the root, with sudo like a desktop user.
dr_user=player
# Written into every root this file makes: the project's scripts look for it
# to know they run inside one (a root inside a root is not made).
dr_marker=/etc/grapnel-stage-root

dr_die() {
  echo "$dr_name: $*" >&2
  exit 1
}

dr_say() {
  echo "$dr_name: $*"
}

# Prints 0 when this process runs inside a root made here.
dr_inside_root() {
  [ -f "$dr_marker" ]
}

# Prints the URI of the Debian mirror that apt uses for the machine's own
# release, read from apt's sources (one-line .list files and deb822 .sources
# files); GRAPNEL_DEBIAN_MIRROR overrides it. Prints nothing when there is none.
dr_mirror() {
  if [ -n "${GRAPNEL_DEBIAN_MIRROR:-}" ]; then
    echo "$GRAPNEL_DEBIAN_MIRROR"
    return
  fi
  local id="" codename=""
  if [ -r /etc/os-release ]; then
    id=$(. /etc/os-release && echo "${ID:-}")
    codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
  fi
  # Another distribution's mirror holds no Debian release.
  [ "$id" = debian ] && [ -n "$codename" ] || return 0
  local files=()
  [ -f /etc/apt/sources.list ] && files+=(/etc/apt/sources.list)
  local f
  for f in /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] && files+=("$f")
  done
  [ ${#files[@]} -gt 0 ] || return 0
  awk -v want="$codename" '
    function flush() {
      if (types ~ /(^|[ \t])deb([ \t]|$)/ && enabled !~ /^[ \t]*no/) {
        n = split(suites, s, /[ \t]+/)
        for (i = 1; i <= n; i++) if (s[i] == want) { split(uris, u, /[ \t]+/); if (u[1] != "") { print u[1]; found = 1; exit } }
      }
      types = uris = suites = enabled = ""
    }
    FNR == 1 { flush() }
    FILENAME ~ /\.sources$/ {
      if ($0 ~ /^[ \t]*$/) { flush(); next }
      if ($0 ~ /^#/) next
      key = tolower($1)
      value = $0; sub(/^[^:]*:[ \t]*/, "", value)
      if (key == "types:") types = value
      else if (key == "uris:") uris = value
      else if (key == "suites:") suites = value
      else if (key == "enabled:") enabled = value
      next
    }
    /^[ \t]*deb[ \t]/ {
      line = $0; sub(/^[ \t]*deb[ \t]+/, "", line)
      if (line ~ /^\[/) sub(/^\[[^]]*\][ \t]*/, "", line)
      split(line, w, /[ \t]+/)
      if (w[2] == want) { print w[1]; found = 1; exit }
    }
    END { if (!found) flush() }
  ' "${files[@]}" | head -n 1
}

# Checks what the stage needs on the machine; refuses in one line otherwise.
dr_require() {
  [ "$(id -u)" -eq 0 ] || dr_die "needs root (it mounts /proc, /sys and /dev into the root); run it as root"
  command -v debootstrap >/dev/null || dr_die "debootstrap is missing; run: bash tools/install_deps.sh test"
  local tool
  for tool in chroot mount umount git flock; do
    command -v "$tool" >/dev/null || dr_die "'$tool' is missing"
  done
  dr_mirror_uri=$(dr_mirror)
  [ -n "$dr_mirror_uri" ] || dr_die "no Debian mirror in apt's sources (/etc/apt/sources.list, /etc/apt/sources.list.d/); set GRAPNEL_DEBIAN_MIRROR"
}

# Makes the base root of SUITE in the cache when it is not there yet: a
# minimal Debian (debootstrap's minbase, with sudo) and a user with sudo.
# A half-made root never becomes the base: it is built aside and moved.
dr_base() {
  local suite=$1
  dr_base_dir=$dr_cache/$suite
  if [ -f "$dr_base_dir/$dr_marker" ]; then
    return
  fi
  local aside=$dr_cache/$suite.making
  rm -rf "$aside"
  mkdir -p "$aside" "$dr_cache/apt-archives-$suite"
  dr_say "making a minimal Debian $suite root from $dr_mirror_uri (once; kept in $dr_cache)"
  if ! debootstrap --variant=minbase --include=sudo \
      --cache-dir="$dr_cache/apt-archives-$suite" \
      "$suite" "$aside" "$dr_mirror_uri" >"$dr_cache/$suite.debootstrap.log" 2>&1; then
    tail -n 20 "$dr_cache/$suite.debootstrap.log" >&2
    dr_die "debootstrap of $suite from $dr_mirror_uri failed (log: $dr_cache/$suite.debootstrap.log)"
  fi
  chroot "$aside" useradd --create-home --shell /bin/bash "$dr_user"
  echo "$dr_user ALL=(ALL) NOPASSWD: ALL" >"$aside/etc/sudoers.d/$dr_user"
  chmod 0440 "$aside/etc/sudoers.d/$dr_user"
  dr_settle "$aside"
  echo "made by tools/debian_root.sh for the project's stages" >"$aside/$dr_marker"
  rm -rf "$dr_base_dir"
  mv "$aside" "$dr_base_dir"
}

# Settings of the base root that a fresh install does not have, and that
# change nothing of what the project sees: dpkg does not wait for each file
# to reach the disk (a throw-away root needs no crash safety, and unpacking
# the test packages took minutes longer without it).
dr_settle() {
  echo force-unsafe-io >"$1/etc/dpkg/dpkg.cfg.d/grapnel-unsafe-io"
}

dr_mounts=()
dr_path=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin

dr_mount() {
  mount "$@"
  dr_mounts+=("${!#}")
}

# Unmounts everything mounted here, last first, and removes the run folder.
dr_close() {
  local status=$?
  local i
  for ((i = ${#dr_mounts[@]} - 1; i >= 0; i--)); do
    umount "${dr_mounts[i]}" 2>/dev/null || umount -l "${dr_mounts[i]}" 2>/dev/null ||
      echo "$dr_name: could not unmount ${dr_mounts[i]}" >&2
  done
  dr_mounts=()
  if [ -n "${dr_run_dir:-}" ]; then
    if findmnt -rn -o TARGET | grep -qF "$dr_run_dir/"; then
      echo "$dr_name: something is still mounted below $dr_run_dir; left in place" >&2
    else
      rm -rf "$dr_run_dir"
    fi
  fi
  if [ -n "${dr_started:-}" ]; then
    dr_say "took $(($(date +%s) - dr_started)) s"
  fi
  exit "$status"
}

# Opens a fresh root of SUITE for the run NAME: an overlay on the base root,
# with /proc, /sys, /dev and /dev/pts of the machine, apt's downloads kept in
# the cache, and the machine's name server. Sets dr_root.
dr_open() {
  local suite=$1 name=$2
  dr_started=$(date +%s)
  trap dr_close EXIT
  trap 'exit 130' INT
  trap 'exit 143' TERM
  dr_require
  mkdir -p "$dr_cache"
  # One run at a time per cache: the base is shared.
  exec 9>"$dr_cache/.lock"
  flock 9
  dr_base "$suite"
  # Bases made before a setting was added get it here, before they are mounted.
  [ -f "$dr_base_dir/etc/dpkg/dpkg.cfg.d/grapnel-unsafe-io" ] || dr_settle "$dr_base_dir"
  dr_run_dir=$dr_cache/run-$name
  # A run that was killed outright may have left mounts behind.
  if findmnt -rn -o TARGET | grep -qF "$dr_run_dir/"; then
    findmnt -rn -o TARGET | grep -F "$dr_run_dir/" | sort -r | while read -r target; do
      umount -l "$target" || true
    done
  fi
  rm -rf "$dr_run_dir"
  mkdir -p "$dr_run_dir"/{upper,work,root}
  dr_root=$dr_run_dir/root
  dr_mount -t overlay overlay \
    -o "lowerdir=$dr_base_dir,upperdir=$dr_run_dir/upper,workdir=$dr_run_dir/work" "$dr_root"
  dr_mount -t proc proc "$dr_root/proc"
  dr_mount --bind /sys "$dr_root/sys"
  dr_mount --bind /dev "$dr_root/dev"
  dr_mount --bind /dev/pts "$dr_root/dev/pts"
  if [ -d /dev/shm ]; then
    dr_mount --bind /dev/shm "$dr_root/dev/shm"
  fi
  mkdir -p "$dr_cache/apt-archives-$suite"
  dr_mount --bind "$dr_cache/apt-archives-$suite" "$dr_root/var/cache/apt/archives"
  cp -L /etc/resolv.conf "$dr_root/etc/resolv.conf" 2>/dev/null || true
  # Certificate authorities the machine's administrator added (for a proxy
  # that inspects TLS, say): the root reaches the network through this
  # machine, so it trusts them too. ca-certificates takes them in when the
  # packages are installed; Node.js (npm) is pointed at the same bundle.
  dr_extra_ca=
  if compgen -G "/usr/local/share/ca-certificates/*.crt" >/dev/null; then
    mkdir -p "$dr_root/usr/local/share/ca-certificates"
    cp /usr/local/share/ca-certificates/*.crt "$dr_root/usr/local/share/ca-certificates/"
    if [ -x "$dr_root/usr/sbin/update-ca-certificates" ]; then
      chroot "$dr_root" /usr/sbin/update-ca-certificates >/dev/null 2>&1 || true
    fi
    dr_extra_ca=/etc/ssl/certs/ca-certificates.crt
  fi
  chmod 1777 "$dr_root/tmp"
}

# Puts a clone of the committed project into FOLDER of the home of USER
# (root or the user with sudo) in the root, owned by that user, and sets
# dr_project to its path there. Only committed files come along.
dr_clone() {
  local source=$1 user=$2 folder=$3
  local home=/home/$user
  [ "$user" = root ] && home=/root
  dr_project="$home/$folder"
  git -c safe.directory="*" clone --quiet --no-hardlinks "$source" "$dr_root$dr_project"
  chroot "$dr_root" chown -R "$user:$user" "$dr_project"
}

# Runs a command as root inside the root, in the environment of a fresh
# login: nothing of the caller's but CI (and the certificate bundle above).
# Leading NAME=VALUE words set more.
dr_run() {
  chroot "$dr_root" env -i HOME=/root PATH="$dr_path" LANG=C.UTF-8 ${CI:+CI="$CI"} \
    ${dr_extra_ca:+NODE_EXTRA_CA_CERTS="$dr_extra_ca"} "$@"
}

# The same as the user with sudo.
dr_run_as_user() {
  chroot "$dr_root" /usr/sbin/runuser -u "$dr_user" -- env -i HOME="/home/$dr_user" \
    USER="$dr_user" LOGNAME="$dr_user" PATH="$dr_path" LANG=C.UTF-8 ${CI:+CI="$CI"} \
    ${dr_extra_ca:+NODE_EXTRA_CA_CERTS="$dr_extra_ca"} "$@"
}
