#include "x11_idle.h"

#include <cstring>

namespace {

XSyncValue valueOf(int64_t value) {
    XSyncValue result;
    XSyncIntsToValue(&result, static_cast<unsigned int>(value & 0xffffffff), static_cast<int>(value >> 32));
    return result;
}

int64_t numberOf(XSyncValue value) {
    return static_cast<int64_t>(XSyncValueHigh32(value)) * 4294967296LL + XSyncValueLow32(value);
}

// An alarm that tells once of the counter crossing the value; a transition, not a
// comparison, so that arming it while the counter is past the value tells nothing.
XSyncAlarm alarmOn(const IdleWatch& watch, XSyncAlarm alarm, int64_t value, XSyncTestType test) {
    XSyncAlarmAttributes attributes{};
    attributes.trigger.counter = watch.idleTime;
    attributes.trigger.value_type = XSyncAbsolute;
    attributes.trigger.wait_value = valueOf(value);
    attributes.trigger.test_type = test;
    attributes.delta = valueOf(0);
    attributes.events = True;
    const unsigned long fields =
        XSyncCACounter | XSyncCAValueType | XSyncCAValue | XSyncCATestType | XSyncCADelta | XSyncCAEvents;
    if (alarm == None)
        return XSyncCreateAlarm(watch.display, fields, &attributes);
    XSyncChangeAlarm(watch.display, alarm, fields, &attributes);
    return alarm;
}

}  // namespace

bool idleWatchStart(Display* display, int64_t usualMs, IdleWatch& watch, std::string& error) {
    watch = {};
    watch.display = display;
    watch.usualMs = usualMs;
    int errorBase = 0, major = 0, minor = 0;
    if (!XSyncQueryExtension(display, &watch.eventBase, &errorBase) || !XSyncInitialize(display, &major, &minor)) {
        error = "the X server has no SYNC extension, which --idle needs to learn the idle time";
        return false;
    }
    int count = 0;
    XSyncSystemCounter* counters = XSyncListSystemCounters(display, &count);
    for (int i = 0; i < count; ++i)
        if (std::strcmp(counters[i].name, "IDLETIME") == 0)
            watch.idleTime = counters[i].counter;
    if (counters)
        XSyncFreeSystemCounterList(counters);
    if (watch.idleTime == None) {
        error = "the X server's SYNC extension has no IDLETIME counter, which --idle needs";
        return false;
    }
    return true;
}

void idleWatchArm(IdleWatch& watch, int64_t targetMs) {
    watch.idle = alarmOn(watch, watch.idle, targetMs, XSyncPositiveTransition);
    if (watch.input != None && targetMs <= watch.usualMs) {
        XSyncDestroyAlarm(watch.display, watch.input);
        watch.input = None;
    }
    // Input drops the counter below where it stands now.
    if (targetMs > watch.usualMs)
        watch.input = alarmOn(watch, watch.input, idleWatchNow(watch) - 1, XSyncNegativeTransition);
    XFlush(watch.display);
}

int64_t idleWatchNow(const IdleWatch& watch) {
    XSyncValue value;
    if (!XSyncQueryCounter(watch.display, watch.idleTime, &value))
        return 0;
    return numberOf(value);
}

IdleNews idleWatchNews(IdleWatch& watch, const XEvent& event) {
    if (event.type != watch.eventBase + XSyncAlarmNotify)
        return IdleNews::Nothing;
    const auto& alarm = reinterpret_cast<const XSyncAlarmNotifyEvent&>(event);
    if (alarm.state == XSyncAlarmDestroyed)
        return IdleNews::Nothing;
    if (alarm.alarm == watch.idle && numberOf(alarm.counter_value) >= numberOf(alarm.alarm_value))
        return IdleNews::Idle;
    if (alarm.alarm == watch.input && watch.input != None &&
        numberOf(alarm.counter_value) <= numberOf(alarm.alarm_value)) {
        idleWatchArm(watch, watch.usualMs);
        return IdleNews::Input;
    }
    return IdleNews::Nothing;
}
