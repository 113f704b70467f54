# gdb script (gdb -p PID -batch -x client_states.py): the life-cycle states of the running
# client's application object, its proxies, the view, every screen and the children of the
# sequencers that a screen or the view waits on. For a hang report: which process never got
# where it was going; then the sound mixer's clock and channels. Stops the main thread once in
# PictureModel::RunExecutables.
import gdb

STATES = ("Stopped", "Starting", "Started", "Paused", "Stopping", "Erred")


def ev(expr):
    return gdb.parse_and_eval(expr)


def most_derived(expr):
    """The expression's object as its most-derived class (gdb cannot downcast from a virtual base)."""
    value = ev(expr)
    address = int(value.cast(gdb.lookup_type("long")))
    if address == 0:
        return None
    vtable = int(ev("*(long*)%d" % address))
    offset = int(ev("*(long*)%d" % (vtable - 16)))
    return "((%s)%d)" % (value.dynamic_type, address + offset)


def state(expr):
    try:
        full = most_derived(expr)
        if full is None:
            return "none"
        found = [s for s in STATES if bool(ev("%s->Is%s()" % (full, s)))]
        return "%s %s" % (str(ev(expr).dynamic_type).rstrip(" *"), ",".join(found) or "?")
    except gdb.error as e:
        return "(%s)" % e


def show(label, expr, depth=0):
    print("%s%s: %s" % ("  " * depth, label, state(expr)))


def children(label, expr, depth=1):
    try:
        full = most_derived(expr)
        count = int(ev("%s->children_.size()" % full)) if full else 0
    except gdb.error:
        return
    for i in range(count):
        show("%s[%d]" % (label, i), "%s->children_[%d]" % (full, i), depth)


def main():
    gdb.execute("set print object on")
    frame = None
    f = gdb.selected_frame() if gdb.selected_thread() else None
    while f is not None:
        if f.name() == "PictureModel::RunExecutables":
            frame = f
            break
        f = f.older()
    if frame is None:
        gdb.execute("thread 1")
        gdb.execute("tbreak PictureModel::RunExecutables")
        gdb.execute("continue")
        frame = gdb.selected_frame()
    frame.select()
    gdb.execute("set language c++")
    gdb.execute("set $app = this")
    show("application", "$app")
    for member in ("dispatchProxy_", "lobbyProxy_", "gameRoomProxy_"):
        show(member, "$app->%s.get()" % member)
    gdb.execute("set $v = (view::PictureView*)$app->view_.get()")
    show("view", "$v")
    show("current screen", "$v->current_")
    show("next screen", "$v->pending_")
    for member in ("screenStopper_", "controlStopper_"):
        show(member, "$v->%s.get()" % member)
        children(member, "$v->%s.get()" % member)
    composition = "$v->composition_.get()"
    for member in ("startSequence_", "music_", "stopper_"):
        show("composition " + member, "%s->%s.get()" % (composition, member))
        children("composition " + member, "%s->%s.get()" % (composition, member), 2)


try:
    main()
except gdb.error as e:
    print("client states: %s" % e)


def mixer():
    """The sound mixer's clock and each channel's queue: a mixer that stopped playing or reporting
    holds every sound's start (and so the screens that wait for one)."""
    try:
        gdb.execute("set $mixer = &sound::Mixer::Instance()")
        for field in ("playIndex_", "writeIndex_", "mixTime_", "nextDue_", "lastLead_", "resetFlag_",
                      "needsRestart_"):
            print("mixer %s: %s" % (field, ev("$mixer->%s" % field)))
        print("mixer out: %s buffers: %s" % (ev("$mixer->out_"), ev("$mixer->buffers_.get()")))
        for label, expr in (("clock now", "(unsigned)SDL_GetTicks()"),
                            ("device buffers queued", "((platform::SdlAudioOut*)$mixer->out_)->queue_.size()"),
                            ("device bytes written", "((platform::SdlAudioOut*)$mixer->out_)->written_"),
                            ("device bytes retired", "((platform::SdlAudioOut*)$mixer->out_)->retired_"),
                            ("device bytes in SDL's queue",
                             "(unsigned)SDL_GetQueuedAudioSize(((platform::SdlAudioOut*)$mixer->out_)->device_)"),
                            ("sound service master", "SoundService::GetMaster()"),
                            ("sound service scheduled", "SoundService::GetMaster()->IsRunning()")):
            try:
                print("mixer %s: %s" % (label, ev(expr)))
            except gdb.error as e:
                print("mixer %s: (%s)" % (label, e))
        for i in range(8):
            channel = "$mixer->channels_._M_elems[%d]" % i
            print("mixer channel %d: count %s format %s position %s to deliver %s" % (
                i, ev(channel + ".count_"), ev(channel + ".format_"), ev(channel + ".position_"),
                ev(channel + ".toDeliver_")))
    except gdb.error as e:
        print("mixer: %s" % e)


mixer()
