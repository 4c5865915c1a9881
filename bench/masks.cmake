# Writing the region masks of a 12-megapixel label file.
if(TARGET pipeline)
  add_executable(masks_bench ${CMAKE_CURRENT_LIST_DIR}/masks_bench.cpp)
  target_link_libraries(masks_bench PRIVATE pipeline benchmark::benchmark)
endif()
