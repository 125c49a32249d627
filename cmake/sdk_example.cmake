# Run with `cmake -P` by the varnel_sdk and hello_skin_example targets (see packaging.cmake):
#
#   -DTREE=<build tree> -DSTEP=sdk       installs the libraries into a fresh <tree>/sdk
#   -DTREE=<build tree> -DSTEP=example   builds examples/hello_skin against <tree>/sdk in
#                                        <tree>/hello_skin, as another project would
#                                        (-DSOURCE=<source dir> -DTOOLCHAIN=<toolchain file>)
#
# The example's build tree is kept, so a second run only rebuilds what changed (the install
# keeps the files' times, so an unchanged library does not relink the example).
function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${out}\nfailed (${rc}): ${ARGN}")
  endif()
endfunction()

if(STEP STREQUAL "sdk")
  file(REMOVE_RECURSE ${TREE}/sdk)
  run(${CMAKE_COMMAND} --install ${TREE} --prefix ${TREE}/sdk)
elseif(STEP STREQUAL "example")
  if(NOT EXISTS ${TREE}/hello_skin/CMakeCache.txt)
    run(${CMAKE_COMMAND} -S ${SOURCE}/examples/hello_skin -B ${TREE}/hello_skin
        -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=${TOOLCHAIN}
        -DCMAKE_PREFIX_PATH=${TREE}/sdk "-DCMAKE_CXX_FLAGS=-Wall -Wextra -Werror")
  endif()
  run(${CMAKE_COMMAND} --build ${TREE}/hello_skin)
else()
  message(FATAL_ERROR "sdk_example.cmake: STEP must be sdk or example")
endif()
