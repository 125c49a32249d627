# The commands of the README. Each does the set-up it needs on a fresh machine.
.PHONY: run gallery test build setup format package

setup:
	bash scripts/setup.sh

# Everything of the x64 preset, test programs included.
build: setup
	cmake --preset x64 >/dev/null
	cmake --build --preset x64 -j$$(nproc)

# The program and the gallery build only themselves and the libraries they link.
run: setup
	cmake --preset x64 >/dev/null
	cmake --build --preset x64 -j$$(nproc) --target Varnel
	bash scripts/run.sh

gallery: setup
	cmake --preset x64 >/dev/null
	cmake --build --preset x64 -j$$(nproc) --target varnel_gallery
	bash scripts/gallery.sh

test:
	bash scripts/test.sh

package: setup
	bash scripts/package.sh

format:
	find app skin plus gallery tests examples \( -name '*.cpp' -o -name '*.h' \) -print0 | xargs -0 clang-format -i
