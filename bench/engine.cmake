# The in-process chain of a job slot against the programs, photo by photo.
if(TARGET collection)
  add_executable(engine_bench ${CMAKE_CURRENT_LIST_DIR}/engine_bench.cpp)
  target_link_libraries(engine_bench PRIVATE collection)
  target_compile_definitions(engine_bench PRIVATE
    SHARED_DATA_DIR="${SHARED_DATA_DIR}" PROJECT_SOURCE_DIR="${CMAKE_SOURCE_DIR}" PROJECT_BINARY_DIR="${CMAKE_BINARY_DIR}"
    FERROW_PATH="$<TARGET_FILE:Ferrow>" TAMSEL_PATH="$<TARGET_FILE:Tamsel>"
    PREDICTOR_PATH="$<TARGET_FILE:SVMpredictfuzzy>")
  add_dependencies(engine_bench Ferrow Tamsel Zorvik mpeg7DescriptorsExtraction SVMpredictfuzzy)
endif()
