# Sourced by image.sh: what the host's apt uses, so that the machine's disk comes from the same
# place (a closed network reaches only the host's mirror, often only through its proxy). The
# host's apt configuration is read from TESSMARK_APT_ETC (default /etc/apt), as Debian writes it:
# the one-line list (sources.list, *.list; what Debian's installer leaves) and the deb822 files
# (*.sources).
#   host_apt_mirror     the mirror of Debian 12's own suite; Debian's own mirror where none is named
#   host_apt_security   the host's source of security updates; Debian's own with Debian's own
#                       mirror, none otherwise (a mirror's security archive is not at a path that
#                       can be guessed)
#   host_apt_proxy      the host's apt proxy settings, as lines of apt configuration (none: empty)
apt_etc=${TESSMARK_APT_ETC:-/etc/apt}
debian_mirror=http://deb.debian.org/debian
debian_security=http://deb.debian.org/debian-security

# Every binary source the host's apt has, one "URI SUITE" line each: the deb822 files first (what
# Debian 12 itself writes), then the one-line lists.
host_apt_sources() {
  local f
  for f in "$apt_etc"/sources.list.d/*.sources; do
    [ -f "$f" ] || continue
    # Stanzas apart by empty lines; field names in any case; several URIs and suites each.
    awk 'function flush(   i, j, nu, ns, u, su) {
           if (types ~ /(^| )deb( |$)/ && enabled !~ /^no$/) {
             nu = split(uris, u, " "); ns = split(suites, su, " ")
             for (i = 1; i <= nu; i++) for (j = 1; j <= ns; j++) print u[i], su[j]
           }
           types = uris = suites = enabled = ""
         }
         /^[ \t]*#/ { next }
         /^[ \t]*$/ { flush(); next }
         { line = $0; name = tolower(line); sub(/:.*/, "", name); sub(/^[^:]*:[ \t]*/, "", line)
           if (name == "types") types = line; else if (name == "uris") uris = line
           else if (name == "suites") suites = line; else if (name == "enabled") enabled = tolower(line) }
         END { flush() }' "$f"
  done
  for f in "$apt_etc/sources.list" "$apt_etc"/sources.list.d/*.list; do
    [ -f "$f" ] || continue
    # deb [ options ] URI SUITE COMPONENT...; the options may hold spaces.
    sed -e 's/#.*//' -e 's/\[[^]]*\]//' "$f" | awk '$1 == "deb" && NF >= 3 { print $2, $3 }'
  done
}

# The first URI on the network (not a CD) that serves one of the suites given, without its
# trailing slash. (awk reads all: one that stopped early would end the list's writer with a broken
# pipe, a failure under pipefail.)
_host_apt_uri_of() {
  host_apt_sources | awk -v want=" $* " '!found && $1 ~ /^(https?|ftp):\/\// && index(want, " " $2 " ") {
                                            sub(/\/+$/, "", $1); print $1; found = 1 }'
}

host_apt_mirror() {
  local mirror
  mirror=$(_host_apt_uri_of bookworm stable)
  echo "${mirror:-$debian_mirror}"
}

host_apt_security() {
  local security
  security=$(_host_apt_uri_of bookworm-security stable-security)
  if [ -z "$security" ] && [ "$(host_apt_mirror)" = "$debian_mirror" ]; then security=$debian_security; fi
  [ -z "$security" ] || echo "$security"
}

host_apt_proxy() {
  local config http="" https=""
  # apt-config reads the configuration that Dir::Etc names, set by the file that APT_CONFIG names.
  config=$(mktemp) || return 0
  echo "Dir::Etc \"$apt_etc/\";" >"$config"
  eval "$(APT_CONFIG=$config apt-config shell http Acquire::http::Proxy https Acquire::https::Proxy 2>/dev/null)"
  rm -f "$config"
  case "$http" in "" | DIRECT | direct) ;; *) echo "Acquire::http::Proxy \"$http\";" ;; esac
  case "$https" in "" | DIRECT | direct) ;; *) echo "Acquire::https::Proxy \"$https\";" ;; esac
}
