# Shell scripts of the repository, tested with stand-in commands.
add_test(NAME deps_script
  COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/scripts/deps_test.sh ${PROJECT_SOURCE_DIR}/scripts/deps.sh)
