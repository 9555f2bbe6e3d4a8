# bench_fill and bench_read measure against reference copies written straight
# on the Firebird client, so they need the client's headers and library too.
find_library(FBCLIENT_LIB fbclient REQUIRED)
find_path(FIREBIRD_INCLUDE firebird/Interface.h REQUIRED)
foreach(b bench_fill bench_read)
  target_include_directories(${b} PRIVATE ${FIREBIRD_INCLUDE})
  target_link_libraries(${b} PRIVATE ${FBCLIENT_LIB})
endforeach()
# bench_capture builds its armed master on the client straight, as they do.
target_include_directories(bench_capture PRIVATE ${FIREBIRD_INCLUDE})
target_link_libraries(bench_capture PRIVATE ${FBCLIENT_LIB})
