# The tray application and its platform layers.
include(GNUInstallDirs)

target_sources(quotix_app PRIVATE
    AppDelegate.cpp AppDelegate.h
    PlatformServices.h
    RefreshScheduler.cpp RefreshScheduler.h
    SingleInstance.cpp SingleInstance.h
    SystemTrayItem.cpp SystemTrayItem.h
    TitleLayout.cpp TitleLayout.h
    TitleObserver.cpp TitleObserver.h
    TrayApplication.cpp TrayApplication.h
    TrayHost.h
    TrayHostWaiter.cpp TrayHostWaiter.h
    TrayIconPainter.cpp TrayIconPainter.h
    TrayItem.h
    UnixSignalWatcher.cpp UnixSignalWatcher.h
    UptimeSource.h
    WakeMonitor.h
)

if(APPLE)
    target_sources(quotix_app PRIVATE
        platform/macos/MacLoginItemService.cpp platform/macos/MacLoginItemService.h
        platform/macos/MacPlatformServices.cpp
        platform/macos/MacTrayHost.cpp platform/macos/MacTrayHost.h
        platform/macos/MacUptime.cpp platform/macos/MacUptime.h
    )
    target_include_directories(quotix_app PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/platform/macos)
else()
    target_sources(quotix_app PRIVATE
        platform/linux/BootClockUptime.cpp platform/linux/BootClockUptime.h
        platform/linux/DBusMenuAdaptor.cpp platform/linux/DBusMenuAdaptor.h
        platform/linux/DBusMenuExporter.cpp platform/linux/DBusMenuExporter.h
        platform/linux/DBusMenuTypes.cpp platform/linux/DBusMenuTypes.h
        platform/linux/FreedesktopNotifications.cpp platform/linux/FreedesktopNotifications.h
        platform/linux/LinuxPlatformServices.cpp
        platform/linux/LinuxTrayHost.cpp platform/linux/LinuxTrayHost.h
        platform/linux/LogindWakeMonitor.cpp platform/linux/LogindWakeMonitor.h
        platform/linux/StatusNotifierItem.cpp platform/linux/StatusNotifierItem.h
        platform/linux/StatusNotifierItemAdaptor.cpp platform/linux/StatusNotifierItemAdaptor.h
        platform/linux/StatusNotifierTypes.cpp platform/linux/StatusNotifierTypes.h
        platform/linux/XdgAutostartService.cpp platform/linux/XdgAutostartService.h
    )
    target_include_directories(quotix_app PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/platform/linux)

    # The desktop's view of the application: menu entry, icon, software-centre record.
    set(QUOTIX_RESOURCES ${PROJECT_SOURCE_DIR}/resources)
    install(FILES ${QUOTIX_RESOURCES}/quotix.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    install(FILES ${QUOTIX_RESOURCES}/quotix.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
    install(FILES ${QUOTIX_RESOURCES}/quotix.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
endif()
