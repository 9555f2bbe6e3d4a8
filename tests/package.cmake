# The sealed file of the exchange by packages, without a database.
quorvel_test_folder(test_package ${CMAKE_CURRENT_SOURCE_DIR}/package quorvel_package)
