# Tests that run the programs as processes of their own (signals, exit
# statuses) need their paths.
target_compile_definitions(test_cli PRIVATE QUORVEL_CLI_BINARY="$<TARGET_FILE:quorvel-cli>")
add_dependencies(test_cli quorvel-cli)
if(TARGET test_app)
  target_compile_definitions(test_app PRIVATE QUORVEL_APP_BINARY="$<TARGET_FILE:quorvel>")
  add_dependencies(test_app quorvel)
endif()
