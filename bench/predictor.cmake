# The predictor's model load: libsvm's text loader against the binary form.
if(TARGET svm_tools)
  add_executable(predictor_bench ${CMAKE_CURRENT_LIST_DIR}/predictor_bench.cpp)
  target_link_libraries(predictor_bench PRIVATE svm_tools benchmark::benchmark)
  target_compile_definitions(predictor_bench PRIVATE MODELS_DIR="${CMAKE_SOURCE_DIR}/models/SVMtrainingModels")
endif()
