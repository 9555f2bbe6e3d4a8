# The preparation tests run quorvel-cli as a process of its own where they
# must kill it part-way.
if(TARGET test_prepare AND TARGET quorvel-cli)
  target_compile_definitions(test_prepare PRIVATE QUORVEL_CLI_BINARY="$<TARGET_FILE:quorvel-cli>")
  add_dependencies(test_prepare quorvel-cli)
endif()
