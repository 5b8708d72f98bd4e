// The controls' pictures, each the background of the box that shows its
// control, over the box's colour.
//
// The program hands each picture over as a canvas of its own, in no
// document, which a box shows through a PNG of it, a data: address. A box,
// not a canvas in the page: WebKit composites every canvas of a page again in
// every frame, and Chromium's first frame of the board spends most of its
// time handing canvases to its compositor; pictures cost nothing while they
// do not change. A picture shows a moment after it is handed over, once
// encoded and decoded; while one is on its way its box has data-drawing, and
// Module[PICTURES_READY]() is a promise of them all.

var picturesPending = 0;
var picturesSettled = null; // resolves the promise below when none is pending
Module[PICTURES_READY] = function () {
    return picturesPending === 0 ? Promise.resolve()
        : new Promise(function (resolve) { picturesSettled = resolve; });
};

function pictureDone() {
    if (--picturesPending === 0 && picturesSettled) {
        picturesSettled();
        picturesSettled = null;
    }
}

// The PNG of `canvas`, encoded once (a picture's canvas never changes) and
// in the call: Chromium's page waits on its busy browser process to register
// a blob and its address. Null where the browser cannot encode the canvas.
function encoded(canvas) {
    if (canvas.url === undefined) {
        try {
            canvas.url = canvas.toDataURL();
        } catch (error) {
            canvas.url = null; // a canvas the page may not read, as a privacy setting may have it
        }
        if (canvas.url === 'data:,')
            canvas.url = null; // too large to encode
    }
    return canvas.url;
}

// Shows `source`, a picture's canvas, or nothing for null, on `element`; the
// picture's size and place are the program's. A later picture for the same
// element outruns an earlier one still on its way.
Module[SHOW_PICTURE] = function (element, source) {
    var drawing = element.drawings = (element.drawings || 0) + 1;
    var url = source && encoded(source);
    element.removeAttribute('data-drawing');
    if (!url) {
        element.style.backgroundImage = '';
        showCopy(element, source);
        return;
    }
    ++picturesPending;
    element.setAttribute('data-drawing', '');
    var decoded = new Image();
    decoded.src = url;
    decoded.decode().catch(function () {}).then(function () {
        if (drawing === element.drawings) {
            element.removeAttribute('data-drawing');
            element.style.backgroundImage = 'url(' + url + ')';
        }
        pictureDone();
    });
};

// Where the browser cannot encode a canvas, the box holds a copy of it, a
// picture pixel to --u CSS pixels, or none for null.
function showCopy(element, source) {
    var copy = element.querySelector('canvas');
    if (!source) {
        if (copy)
            copy.remove();
        return;
    }
    copy = copy || element.appendChild(document.createElement('canvas'));
    copy.width = source.width;
    copy.height = source.height;
    copy.style.width = 'calc(var(--u) * ' + source.width + ')';
    copy.style.height = 'calc(var(--u) * ' + source.height + ')';
    copy.getContext('2d').drawImage(source, 0, 0);
}
