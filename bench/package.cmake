# bench_package packs and reads packages, and compresses its CSV reference
# with zstd.
target_link_libraries(bench_package PRIVATE quorvel_package quorvel_clone)
