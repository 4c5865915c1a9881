# The clustering core on reduced images of real photos.
if(TARGET segmentation)
  add_executable(clustering_core_bench ${CMAKE_CURRENT_LIST_DIR}/clustering_core_bench.cpp)
  target_link_libraries(clustering_core_bench PRIVATE segmentation benchmark::benchmark)
  target_compile_definitions(clustering_core_bench PRIVATE SHARED_DATA_DIR="${SHARED_DATA_DIR}")
endif()
