set pagination off
set confirm off
set breakpoint pending on
set print thread-events off
# Makes Qt's two threads meet on one frame callback (main.cpp says how to
# run it). Stop the frame-queue thread inside
# QWaylandWindow::callbackListener, at its wl_callback_destroy(): the display
# mutex is not held there.
break wl_proxy_destroy if $_thread != 1
run 1 800
echo \n=== frame-queue thread stopped in the listener's wl_callback_destroy ===\n
info threads
bt 6
set $cb = $rdi
printf "wl_callback %p refcount %d\n", $cb, *(int*)((char*)$cb + 44)
delete
# Let only the GUI thread run: its timer hides the window -> reset().
break wl_proxy_destroy if $_thread == 1 && $rdi == $cb
set scheduler-locking on
thread 1
continue
echo \n=== GUI thread destroys the same wl_callback in QWaylandWindow::reset() ===\n
bt 8
printf "wl_callback %p refcount %d\n", $cb, *(int*)((char*)$cb + 44)
delete
set scheduler-locking off
continue
echo \n=== after both ===\n
info threads
thread apply all bt 14
