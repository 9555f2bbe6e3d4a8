# bench_transfer measures against a reference copy written straight on the
# Firebird client, so it needs the client's headers and library itself.
find_library(FBCLIENT_LIB fbclient REQUIRED)
find_path(FIREBIRD_INCLUDE firebird/Interface.h REQUIRED)
target_include_directories(bench_transfer PRIVATE ${FIREBIRD_INCLUDE})
target_link_libraries(bench_transfer PRIVATE ${FBCLIENT_LIB})
