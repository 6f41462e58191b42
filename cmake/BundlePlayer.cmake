# The player that `qmdtool bundle` copies by default, build/qlmplayer-bundle: the player's own
# objects linked without symbols or debug information and with unreferenced sections dropped,
# so that every stand-alone file does not carry the main build's debugging data.

add_executable(qlmplayer_bundle ${PROJECT_SOURCE_DIR}/src/app/QlmPlayerMain.cpp)
set_target_properties(qlmplayer_bundle PROPERTIES OUTPUT_NAME qlmplayer-bundle)
target_compile_options(qlmplayer_bundle PRIVATE -g0)
target_link_libraries(qlmplayer_bundle PRIVATE qlm_app)
target_link_options(qlmplayer_bundle PRIVATE -s -Wl,--gc-sections -Wl,-O1)
# A stand-alone file loads the media and speech modules beside it or from the installed player.
add_dependencies(qlmplayer_bundle qlm_media_backend qlm_speech)
