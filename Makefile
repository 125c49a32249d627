# The commands of the README. Each does the set-up it needs on a fresh machine.
.PHONY: run gallery test build setup format package

setup:
	bash scripts/setup.sh

build: setup
	cmake --preset x64 >/dev/null
	cmake --build --preset x64 -j$$(nproc)

run: build
	bash scripts/run.sh

gallery: build
	bash scripts/gallery.sh

test:
	bash scripts/test.sh

package: setup
	bash scripts/package.sh

format:
	find app skin plus gallery tests examples \( -name '*.cpp' -o -name '*.h' \) -print0 | xargs -0 clang-format -i
