#include "platform/RunningApps.h"

#import <AppKit/AppKit.h>

std::vector<RunningApp> runningApplications() {
    std::vector<RunningApp> apps;
    @autoreleasepool {
        for (NSRunningApplication* app in NSWorkspace.sharedWorkspace.runningApplications) {
            RunningApp entry;
            if (NSURL* url = app.executableURL)
                entry.executablePath = QString::fromNSString(url.path);
            if (NSString* name = app.localizedName)
                entry.localizedName = QString::fromNSString(name);
            apps.push_back(std::move(entry));
        }
    }
    return apps;
}
