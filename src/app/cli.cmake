# quotix status, --demo and the provider set-up shared with the tray.
target_sources(quotix_app PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/ProviderSetup.cpp ${CMAKE_CURRENT_LIST_DIR}/ProviderSetup.h
    ${CMAKE_CURRENT_LIST_DIR}/StatusCommand.cpp ${CMAKE_CURRENT_LIST_DIR}/StatusCommand.h
    ${CMAKE_CURRENT_LIST_DIR}/StatusFormat.cpp ${CMAKE_CURRENT_LIST_DIR}/StatusFormat.h
)
