// The pad's pointer events for the program, its moves handed on together
// once a frame.
//
// Chromium and Firefox hand a page one pointer move a frame; WebKit hands it
// every move the pointer makes, a dozen a frame in a quick drag, and a call
// into the program for each, with the event's fields read one call at a
// time, made its drags trail the bare page's. The moves now wait for the
// next frame, before it is drawn, and go to the program in one call as
// numbers, seven a move (MOVE_FIELDS in web/pageinput.cpp): the pointer,
// clientX, clientY, buttons, and whether Shift, Ctrl and Alt are held. The
// program still runs every move in order: a block that passes a slot within
// a frame drops in as before. The pointer's other events hand on the moves
// still waiting first, so that the program sees everything in its order.
Module['followPad'] = function (pad, padEvent, padMoves) {
    var moves = [];
    function handMoves() {
        if (moves.length) {
            var waiting = moves;
            moves = [];
            padMoves(waiting);
        }
    }
    pad.addEventListener('pointermove', function (event) {
        if (!moves.length)
            requestAnimationFrame(handMoves);
        moves.push(event.pointerId, event.clientX, event.clientY, event.buttons,
                   +event.shiftKey, +event.ctrlKey, +event.altKey);
    });
    ['pointerdown', 'pointerup', 'pointercancel', 'lostpointercapture'].forEach(function (type) {
        pad.addEventListener(type, function (event) {
            handMoves();
            padEvent(event);
        });
    });
};
