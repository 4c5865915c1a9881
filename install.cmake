# What `cmake --install <build> --prefix <dir>` puts where:
#   bin/                         the programs and the annotate command
#   libexec/annotate/            annotate's per-photo and report programs
#   share/annotate/scripts/layout the layout command, which finds the two
#                                folders below beside its own folder:
#   share/annotate/tools/descriptors/parfiles/  the extractor's parameter files
#   share/annotate/models/       the bundled concept list and models
install(TARGETS Zorvik Ferrow Tamsel mpeg7DescriptorsExtraction SVMpredictfuzzy trainConcepts
        RUNTIME DESTINATION bin)
if(TARGET annotate-photo)
  install(PROGRAMS ${CMAKE_BINARY_DIR}/collection/annotate.installed DESTINATION bin RENAME annotate)
  install(TARGETS annotate-photo annotate-report RUNTIME DESTINATION libexec/annotate)
endif()
install(PROGRAMS ${CMAKE_SOURCE_DIR}/scripts/layout DESTINATION share/annotate/scripts)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/tools/descriptors/parfiles/ DESTINATION share/annotate/tools/descriptors/parfiles
        FILES_MATCHING PATTERN "*.par")
install(FILES ${CMAKE_SOURCE_DIR}/models/concepts.txt ${CMAKE_SOURCE_DIR}/models/README.md
        DESTINATION share/annotate/models)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/models/SVMtrainingModels DESTINATION share/annotate/models)
