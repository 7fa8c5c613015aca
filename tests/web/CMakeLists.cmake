# The desktop side of the browser tests (tools/stages/web.sh): the reference
# pictures and voice samples the browser build is compared with.
add_executable(web_desktop_ref ${CMAKE_CURRENT_SOURCE_DIR}/tests/web/desktop_ref.cpp)
target_link_libraries(web_desktop_ref PRIVATE grapnel_lib)
