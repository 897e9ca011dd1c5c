#!/bin/sh
# Builds the program as users and distributions do, with every warning an error: in Release
# (build-release) and with Debian's packaging flags from dpkg-buildflags, hardening included
# (build-debian; CMAKE_BUILD_TYPE None, as Debian's tools configure it). Only the program is
# built: the tests are built and run in the default configuration.
set -eu
cd "$(dirname "$0")/.."
options="-G Ninja -DTESSALY_WERROR=ON -DTESSALY_TESTS=OFF -DTESSALY_BENCH=OFF"
cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release $options >/dev/null
cmake --build build-release -j2 --target tessaly
CXXFLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)" \
LDFLAGS="$(dpkg-buildflags --get LDFLAGS)" \
  cmake -S . -B build-debian -DCMAKE_BUILD_TYPE=None $options >/dev/null
cmake --build build-debian -j2 --target tessaly
echo "flags of build-release: $(sed -n 's/^CMAKE_CXX_FLAGS_RELEASE:STRING=//p' build-release/CMakeCache.txt)"
echo "flags of build-debian:  $(sed -n 's/^CMAKE_CXX_FLAGS:STRING=//p' build-debian/CMakeCache.txt)"
