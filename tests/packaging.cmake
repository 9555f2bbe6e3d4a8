# The install rules and the .deb, on the built tree (the window included).
if(QUORVEL_GUI)
  foreach(kind install deb)
    add_test(NAME Packaging.${kind}
      COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/scripts/package_test.sh ${kind} ${CMAKE_BINARY_DIR} ${PROJECT_VERSION})
  endforeach()
endif()
