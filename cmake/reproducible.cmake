# The same commit builds the same package bytes in any folder at any time: every date the build
# leaves behind is the commit's, and no folder it was built in remains in a binary or its debug
# data (the build id is a hash over both, so it follows).

# SOURCE_DATE_EPOCH as packagers set it, else the commit's date, else the release's (a tarball).
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(QUORVEL_SOURCE_DATE_EPOCH $ENV{SOURCE_DATE_EPOCH})
else()
  execute_process(COMMAND git -C ${PROJECT_SOURCE_DIR} log -1 --format=%ct
                  OUTPUT_VARIABLE QUORVEL_SOURCE_DATE_EPOCH RESULT_VARIABLE git_result
                  OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  if(NOT git_result EQUAL 0 OR NOT QUORVEL_SOURCE_DATE_EPOCH MATCHES "^[0-9]+$")
    execute_process(COMMAND date -u -d "${QUORVEL_RELEASE_DATE}" +%s
                    OUTPUT_VARIABLE QUORVEL_SOURCE_DATE_EPOCH OUTPUT_STRIP_TRAILING_WHITESPACE
                    COMMAND_ERROR_IS_FATAL ANY)
  endif()
endif()
message(STATUS "SOURCE_DATE_EPOCH: ${QUORVEL_SOURCE_DATE_EPOCH}")

# Only the builds that can be packaged; the others keep real paths for the debugger. The build
# folder goes last, as the option given last wins where both folders match (a build inside the
# source folder).
if(NOT QUORVEL_SANITIZE AND CMAKE_BUILD_TYPE MATCHES "^(Release|RelWithDebInfo|MinSizeRel)$")
  add_compile_options(-ffile-prefix-map=${PROJECT_SOURCE_DIR}=.
                      -ffile-prefix-map=${PROJECT_BINARY_DIR}=build)
endif()

# Custom commands (Qt's resource compiler stamps each file's date into the program) run with it.
set_property(GLOBAL PROPERTY RULE_LAUNCH_CUSTOM
             "${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=${QUORVEL_SOURCE_DATE_EPOCH}")
