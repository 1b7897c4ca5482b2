# cmake -DSRC=... -DDST=... -P CopyIfPresent.cmake
if(EXISTS "${SRC}")
  file(COPY_FILE "${SRC}" "${DST}" ONLY_IF_DIFFERENT)
else()
  message(STATUS "Not found, skipped: ${SRC}")
endif()
