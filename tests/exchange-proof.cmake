# The exchange tests kill quorvel-cli as a child process: they need the
# program built and its path.
if(TARGET test_exchange)
  target_compile_definitions(test_exchange PRIVATE QUORVEL_CLI_PATH="$<TARGET_FILE:quorvel-cli>")
  add_dependencies(test_exchange quorvel-cli)
endif()
