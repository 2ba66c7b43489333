# Sourced by the scripts: installs the Debian packages the build needs, once. Qt Charts finds
# itself through the CMake files of Qt OpenGL, which Debian ships apart.
TAVREK_PACKAGES=(build-essential cmake ninja-build pkg-config libsqlite3-dev libsoci-dev libboost-dev libpq-dev postgresql
  libgtest-dev libgmock-dev libbenchmark-dev libpugixml-dev libssl-dev libcurl4-openssl-dev libcsv-dev
  libcpp-httplib-dev qt6-base-dev fonts-dejavu-core sqlite3
  poppler-utils libsodium-dev libgrpc++-dev libprotobuf-dev protobuf-compiler protobuf-compiler-grpc
  qt6-charts-dev libqt6opengl6-dev libxlsxwriter-dev)

tavrek_install_deps() {
  local missing=()
  for p in "${TAVREK_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
}
