// The reference for the page's pointer to frame: a 50 x 50 block that a
// pointer held on the pad moves four pixels per pixel, and nothing else.
'use strict';
const block = document.getElementById('block');
const pad = document.getElementById('pad');
let grab = null;
pad.addEventListener('pointerdown', event => {
    pad.setPointerCapture(event.pointerId);
    grab = {x: event.clientX, y: event.clientY, left: block.offsetLeft, top: block.offsetTop};
});
pad.addEventListener('pointermove', event => {
    if (!grab)
        return;
    block.style.left = grab.left + 4 * (event.clientX - grab.x) + 'px';
    block.style.top = grab.top + 4 * (event.clientY - grab.y) + 'px';
});
pad.addEventListener('pointerup', () => { grab = null; });
