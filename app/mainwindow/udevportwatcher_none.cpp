#include "udevportwatcher.h"

// Built without libudev: real adapters are not watched, virtual ports still are.
struct UdevPortWatcher::Monitor
{
};

UdevPortWatcher::UdevPortWatcher(QObject *parent) : QObject(parent) {}

UdevPortWatcher::~UdevPortWatcher() = default;

void UdevPortWatcher::receive() {}
