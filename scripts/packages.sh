# Debian packages, sourced by the setup and test scripts.
BUILD_PACKAGES="build-essential cmake ninja-build pkg-config zlib1g-dev libpng-dev libdeflate-dev \
libsdl2-dev libcairo2-dev libfontconfig-dev fonts-dejavu-core libgdk-pixbuf-2.0-dev \
shared-mime-info liblcms2-dev"
TEST_PACKAGES="$BUILD_PACKAGES clang-format libgtest-dev libssl-dev libbenchmark-dev libstb-dev clang libclang-rt-14-dev \
libfuzzer-14-dev python3 python3-gi gir1.2-gdkpixbuf-2.0 libgdk-pixbuf2.0-bin pngcheck xvfb \
xdotool x11-apps imagemagick python3-numpy python3-pil groff-base libgs-common"
# Building the Debian package (scripts/package), and checking the system it
# installs (scripts/installed-test): the system's own gdk-pixbuf clients,
# PyGObject, xdg-mime (with the shared-mime-info reader it prefers) and
# lintian.
PACKAGE_BUILD_PACKAGES="$BUILD_PACKAGES debhelper dpkg-dev"
INSTALLED_TEST_PACKAGES="python3 python3-gi gir1.2-gdkpixbuf-2.0 libgdk-pixbuf2.0-bin xdg-utils \
libfile-mimeinfo-perl lintian"

install_packages() {
	if [ "$(id -u)" = 0 ]; then
		apt-get update -qq
		DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "$@" >/dev/null
	else
		echo "not root: assuming these packages are installed: $*" >&2
	fi
}
