# The descriptor extractor: each descriptor in process, and the four runs of
# the program that the pipeline makes per image, on a synthetic image and on
# a shared photo.
if(TARGET descriptors)
  add_executable(descriptors_bench ${CMAKE_CURRENT_LIST_DIR}/descriptors_bench.cpp)
  target_link_libraries(descriptors_bench PRIVATE descriptors benchmark::benchmark)
  add_dependencies(descriptors_bench mpeg7DescriptorsExtraction)
  target_compile_definitions(descriptors_bench PRIVATE
    EXTRACTOR_PATH="$<TARGET_FILE:mpeg7DescriptorsExtraction>"
    PARFILES_DIR="${CMAKE_SOURCE_DIR}/tools/descriptors/parfiles"
    SHARED_DATA_DIR="${SHARED_DATA_DIR}")
endif()
