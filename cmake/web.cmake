# The web build (emscripten): the page, one self-contained HTML file with the core embedded
# as WebAssembly (a page opened from a file cannot fetch a neighbouring one), its packages
# for the wallpaper hosts, and vapryx-sim.js, the simulator for node.
add_executable(vapryx_web host/main_web.cpp)
set_target_properties(vapryx_web PROPERTIES OUTPUT_NAME vapryx SUFFIX .html)
target_link_libraries(vapryx_web PRIVATE vapryx_core)
set(page_shell ${CMAKE_SOURCE_DIR}/host/page_web.html)
set(page_script ${CMAKE_SOURCE_DIR}/host/page_web.js)
target_link_options(vapryx_web PRIVATE
  -sSINGLE_FILE=1 -sMINIFY_HTML=0 -sENVIRONMENT=web -sALLOW_MEMORY_GROWTH=1 -sINITIAL_MEMORY=16MB
  -sEXPORTED_RUNTIME_METHODS=ccall,cwrap,UTF8ToString
  --shell-file ${page_shell} --post-js ${page_script})
set_target_properties(vapryx_web PROPERTIES LINK_DEPENDS "${page_shell};${page_script}")

# The simulator reads and writes the machine's files through node.
# One file: node 18+ would try to fetch() a neighbouring .wasm by its path and fail.
target_link_options(vapryx_sim PRIVATE -sSINGLE_FILE=1 -sNODERAWFS=1 -sENVIRONMENT=node -sALLOW_MEMORY_GROWTH=1
                    -sEXIT_RUNTIME=1)

# The picture the hosts show in their libraries: the default look (white, brightness 5)
# after 150 steps from the simulator, each 2 x 2 field bytes averaged, through the colour
# ramp, centred in a black square (Lively's own thumbnails are square).
find_program(VAPRYX_NODE NAMES node nodejs REQUIRED)
find_program(VAPRYX_CONVERT convert REQUIRED)
set(web_res ${CMAKE_SOURCE_DIR}/res/web)
set(preview ${CMAKE_BINARY_DIR}/preview.gif)
add_custom_command(
  OUTPUT ${preview}
  COMMAND ${VAPRYX_NODE} $<TARGET_FILE:vapryx_sim> --resolution 800x600 --volume 5 --seed 1
          --frames 150 --raster ${CMAKE_SOURCE_DIR}/docs/name-800x600.pgm
          --field ${preview}.field --ramp ${preview}.ramp
  COMMAND ${VAPRYX_CONVERT} -size 800x600 -depth 8 gray:${preview}.field -filter box -resize 50%
          -size 256x1 rgb:${preview}.ramp -interpolate integer -clut -background black
          -gravity center -extent 400x400 ${preview}
  COMMAND ${CMAKE_COMMAND} -E rm -f ${preview}.field ${preview}.ramp
  DEPENDS vapryx_sim ${CMAKE_SOURCE_DIR}/docs/name-800x600.pgm
  COMMENT "The hosts' preview picture")

# Lively Wallpaper: a zip of its two descriptions, the picture and the page. Wallpaper
# Engine: a folder with its project.json, the picture and the page as index.html.
set(lively ${CMAKE_BINARY_DIR}/lively)
set(engine ${CMAKE_BINARY_DIR}/wallpaper-engine)
add_custom_command(
  OUTPUT ${CMAKE_BINARY_DIR}/vapryx-lively.zip ${engine}/index.html ${engine}/project.json
         ${engine}/preview.gif
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${lively} ${engine}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${lively} ${engine}
  COMMAND ${CMAKE_COMMAND} -E copy ${web_res}/LivelyInfo.json ${web_res}/LivelyProperties.json
          ${preview} $<TARGET_FILE:vapryx_web> ${lively}
  COMMAND ${CMAKE_COMMAND} -E chdir ${lively} ${CMAKE_COMMAND} -E tar cf
          ${CMAKE_BINARY_DIR}/vapryx-lively.zip --format=zip
          LivelyInfo.json LivelyProperties.json preview.gif vapryx.html
  COMMAND ${CMAKE_COMMAND} -E copy ${web_res}/project.json ${preview} ${engine}
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:vapryx_web> ${engine}/index.html
  DEPENDS vapryx_web ${preview} ${web_res}/LivelyInfo.json ${web_res}/LivelyProperties.json
          ${web_res}/project.json
  COMMENT "The Lively zip and the Wallpaper Engine folder")
add_custom_target(vapryx_web_hosts ALL DEPENDS ${CMAKE_BINARY_DIR}/vapryx-lively.zip
                  ${engine}/project.json)
