# quotix status and the provider set-up shared with the tray: Core and Network
# only, so the one-shot command never loads the GUI libraries.
add_library(quotix_cli STATIC
    ${CMAKE_CURRENT_LIST_DIR}/Commands.h
    ${CMAKE_CURRENT_LIST_DIR}/ProviderSetup.cpp ${CMAKE_CURRENT_LIST_DIR}/ProviderSetup.h
    ${CMAKE_CURRENT_LIST_DIR}/StatusCommand.cpp ${CMAKE_CURRENT_LIST_DIR}/StatusCommand.h
    ${CMAKE_CURRENT_LIST_DIR}/StatusFormat.cpp ${CMAKE_CURRENT_LIST_DIR}/StatusFormat.h
)
target_include_directories(quotix_cli PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(quotix_cli PUBLIC quotix_providers quotix_usageservice quotix_config Qt6::Core Qt6::Network)
