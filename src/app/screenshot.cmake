# quotix screenshot: the panel and the tray item rendered offscreen into PNGs.
target_sources(quotix_app PRIVATE
    ScreenshotCommand.cpp ScreenshotCommand.h
)
