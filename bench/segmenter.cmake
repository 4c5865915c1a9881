# The segmenter's image data path (PPM reading, block reduction, L*a*b*) and
# whole Zorvik runs, on shared photos converted once per process.
if(TARGET segmentation)
  foreach(bench data_path_bench zorvik_bench)
    add_executable(${bench} ${CMAKE_CURRENT_LIST_DIR}/${bench}.cpp)
    target_link_libraries(${bench} PRIVATE segmentation benchmark::benchmark)
    target_compile_definitions(${bench} PRIVATE SHARED_DATA_DIR="${SHARED_DATA_DIR}")
  endforeach()
  if(TARGET Zorvik)
    add_dependencies(zorvik_bench Zorvik)
    target_compile_definitions(zorvik_bench PRIVATE ZORVIK_PATH="$<TARGET_FILE:Zorvik>")
  endif()
endif()
