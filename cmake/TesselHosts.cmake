# Where the album service lives. Every host role is a base URL; all default to
# the bundled reference album service (tools/album-service) on 127.0.0.1.

set(TESSEL_REFERENCE_PORT 18741 CACHE STRING "Port of the bundled reference album service")
set(_tessel_default_host "http://127.0.0.1:${TESSEL_REFERENCE_PORT}")

set(TESSEL_ALBUM_API_HOST "${_tessel_default_host}" CACHE STRING "Album API host (login, lists, quota, creation, registration)")
set(TESSEL_UPLOAD_HOST "${_tessel_default_host}" CACHE STRING "Upload host (multipart picture upload)")
set(TESSEL_PORTAL_HOST "${_tessel_default_host}" CACHE STRING "Portal host (single sign-on, keyword checks)")
set(TESSEL_ACCOUNT_HOST "${_tessel_default_host}" CACHE STRING "Account host (registration and account pages)")
set(TESSEL_BLOG_HOST "${_tessel_default_host}" CACHE STRING "Blog host (album web pages)")
set(TESSEL_WEB_HOST "${_tessel_default_host}" CACHE STRING "Web site (update-config file, crash signal, host update information)")

string(REPLACE "." ";" _tessel_version_parts "${TESSEL_PRODUCT_VERSION}")
list(LENGTH _tessel_version_parts _tessel_version_count)
if(NOT _tessel_version_count EQUAL 4)
  message(FATAL_ERROR "TESSEL_PRODUCT_VERSION must have four parts, got '${TESSEL_PRODUCT_VERSION}'")
endif()
list(GET _tessel_version_parts 0 TESSEL_VERSION_MAJOR)
list(GET _tessel_version_parts 1 TESSEL_VERSION_MINOR)
list(GET _tessel_version_parts 2 TESSEL_VERSION_BUILD)
list(GET _tessel_version_parts 3 TESSEL_VERSION_REVISION)

set(TESSEL_MACHINE_SETTINGS_DIR "/etc/JQMarlin" CACHE STRING "Folder of the machine-wide settings hive")

set(TESSEL_GENERATED_DIR ${CMAKE_BINARY_DIR}/generated)
configure_file(${CMAKE_CURRENT_LIST_DIR}/BuildConfig.h.in ${TESSEL_GENERATED_DIR}/BuildConfig.h @ONLY)
