# The two commands of the README. Each does the set-up it needs on a fresh machine.
.PHONY: run test build setup format

setup:
	bash scripts/setup.sh

build: setup
	cmake --preset x64 >/dev/null
	cmake --build --preset x64 -j$$(nproc)

run: build
	bash scripts/run.sh

test:
	bash scripts/test.sh

format:
	find app skin plus tests \( -name '*.cpp' -o -name '*.h' \) -print0 | xargs -0 clang-format -i
