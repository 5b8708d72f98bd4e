// The pad's pointer events for the program, its moves handed on together
// once a frame.
//
// Chromium and Firefox hand a page one pointer move a frame; WebKit hands it
// every move the pointer makes, many a frame in a quick drag, and a call into
// the program for each, reading the event's fields one call at a time, would
// make its drags trail. So the moves wait for the next frame, before it is
// drawn, and go to the program in one call as numbers, three a move
// (MOVE_FIELDS in web/pageinput.cpp): the pointer, clientX and clientY. The
// program still runs every move in order: a block that passes a slot within
// a frame drops in. The pointer's other events hand on the moves still
// waiting first, so that the program sees everything in its order.
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
        moves.push(event.pointerId, event.clientX, event.clientY);
    });
    ['pointerdown', 'pointerup', 'pointercancel', 'lostpointercapture'].forEach(function (type) {
        pad.addEventListener(type, function (event) {
            handMoves();
            padEvent(event);
        });
    });
};
