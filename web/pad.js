// The pad's pointer events for the program, its moves handed on together
// once a frame.
//
// WebKit hands a page every move the pointer makes, many a frame in a quick
// drag, and a call into the program for each would make its drags trail. So
// the moves wait for the next frame and go to the program in one call, as
// numbers, MOVE_FIELDS a move; it runs every one in order, so a block that
// passes a slot within a frame drops in. The pointer's other events hand on
// the moves still waiting first.
Module[FOLLOW_PAD] = function (pad, padEvent, padMoves) {
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
        var move = new Array(MOVE_FIELDS);
        move[MOVE_POINTER] = event.pointerId;
        move[MOVE_X] = event.clientX;
        move[MOVE_Y] = event.clientY;
        moves.push.apply(moves, move);
    });
    ['pointerdown', 'pointerup', 'pointercancel', 'lostpointercapture'].forEach(function (type) {
        pad.addEventListener(type, function (event) {
            handMoves();
            padEvent(event);
        });
    });
};
