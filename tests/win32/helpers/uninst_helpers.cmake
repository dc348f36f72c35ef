# Helpers of the uninstaller's end-to-end tests: a program that records when
# it ran, one that holds a file open, and a component that records its
# unregistration. Included from
# tests/CMakeLists.txt once win32_tests exists.
add_executable(uninst_recorder win32/helpers/uninst_recorder.cpp)
target_link_options(uninst_recorder PRIVATE -mwindows)
add_executable(uninst_holder win32/helpers/uninst_holder.cpp)
target_link_options(uninst_holder PRIVATE -mwindows)
add_library(uninst_component SHARED win32/helpers/uninst_component.cpp)
set_target_properties(uninst_component PROPERTIES PREFIX "")
# Undecorated exports, as the uninstaller looks them up ("DllUnregisterServer").
target_link_options(uninst_component PRIVATE -static -static-libgcc -static-libstdc++ -Wl,--kill-at)
add_dependencies(win32_tests uninstall uninst_recorder uninst_holder uninst_component)
if(CMAKE_SIZEOF_VOID_P EQUAL 4)  # the shipped uninstaller is the 32-bit one
  add_test(NAME uninstall_imports COMMAND ${CMAKE_SOURCE_DIR}/scripts/check-imports $<TARGET_FILE:uninstall>)
endif()
# Finish with "restart now", in a Wine prefix whose wineboot.exe records
# what it is asked to do.
add_test(NAME uninstaller_restart_check
  COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/win32/helpers/uninst_restart_check.sh ${CMAKE_BINARY_DIR})
