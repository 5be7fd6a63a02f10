#include "platform/AllWorkspaces.h"

#include <QWindow>

#import <AppKit/AppKit.h>

void keepOnAllWorkspaces(QWindow* window) {
    if (!window)
        return;
    NSView* view = reinterpret_cast<NSView*>(window->winId());
    view.window.collectionBehavior = NSWindowCollectionBehaviorCanJoinAllSpaces |
                                     NSWindowCollectionBehaviorStationary |
                                     NSWindowCollectionBehaviorFullScreenAuxiliary;
}
