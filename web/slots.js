// The slots' canvases, made and drawn in few calls: one from the program
// makes a canvas, one draws all the slots of a canvas or more, where a call
// for each slot would cost more in crossing between the program and the
// page than the drawing itself.
//
// The canvases stay out of the page: each shows through a picture of itself,
// an <img> made anew from it after each drawing. WebKit composites every
// canvas of a page again in every frame, and a dozen of them under a moving
// block doubled its slowest frames; pictures cost it nothing while they do
// not change. The blocks show their pictures the same way, as their boxes'
// backgrounds (showPicture below). A picture follows its canvas a moment
// later, once it is encoded and decoded; while one is on its way its
// element has data-drawing, and Module['picturesReady'] is a promise of
// them all.

var picturesPending = 0;
var picturesSettled = null; // resolves the promise below when none is pending
Module['picturesReady'] = function () {
    return picturesPending === 0 ? Promise.resolve()
        : new Promise(function (resolve) { picturesSettled = resolve; });
};

function pictureDone() {
    if (--picturesPending === 0 && picturesSettled) {
        picturesSettled();
        picturesSettled = null;
    }
}

// Shows a PNG of what `canvas` holds now on `element`, by `show(url)` once
// the browser has decoded it, or by `cannot()` where it cannot encode the
// canvas. A later picture for the same element outruns an earlier one still
// on its way.
//
// The picture is a data: address, encoded in the call: a canvas is a letter's
// slots or a block, quick to encode. An address for a blob (toBlob,
// URL.createObjectURL) asks Chromium's browser process to register the blob
// and again the address, each a call the page's thread waits for, long while
// that process is busy with the start.
function showEncoded(element, canvas, show, cannot) {
    var drawing = element.drawings = (element.drawings || 0) + 1;
    var url;
    try {
        url = canvas.toDataURL();
    } catch (error) {
        url = null; // a canvas the page may not read, or too large to encode
    }
    if (!url || url === 'data:,') {
        element.removeAttribute('data-drawing'); // an earlier picture on its way is outrun
        cannot();
        return;
    }
    ++picturesPending;
    element.setAttribute('data-drawing', '');
    var decoded = new Image();
    decoded.src = url;
    decoded.decode().catch(function () {}).then(function () {
        if (drawing === element.drawings) {
            element.removeAttribute('data-drawing');
            show(url);
        }
        pictureDone();
    });
}

// Shows what a slots' `canvas` holds now through its picture; a browser
// that cannot encode the canvas shows the canvas itself.
function showSlotCanvas(canvas) {
    var img = canvas.shown;
    showEncoded(img, canvas, function (url) {
        img.src = url;
    }, function () {
        canvas.style.cssText = img.style.cssText;
        img.replaceWith(canvas);
        canvas.shown = canvas;
    });
}

// Shows `source`, a canvas, or nothing for null, as the background of
// `element`, a block's box, whose colour shows where the picture is clear;
// its size and place are the style sheet's and the program's. A canvas the
// browser cannot encode leaves the box its colour.
Module['showPicture'] = function (element, source) {
    function show(url) {
        element.style.backgroundImage = url ? 'url(' + url + ')' : '';
    }
    if (source) {
        showEncoded(element, source, show, function () {
            show(null);
        });
        return;
    }
    element.drawings = (element.drawings || 0) + 1; // outruns any picture on its way
    element.removeAttribute('data-drawing');
    show(null);
};

// Adds a picture to `parent` for the rectangle bounds[0] to bounds[3]
// (left, top, right, bottom, in pixels), laid out at `scale`, and the 2D
// context of its canvas to `contexts`.
Module['makeSlotCanvas'] = function (parent, bounds, contexts, scale) {
    var canvas = document.createElement('canvas');
    canvas.width = bounds[2] - bounds[0];
    canvas.height = bounds[3] - bounds[1];
    canvas.shown = document.createElement('img');
    canvas.shown.alt = '';
    placeSlotCanvas(canvas, bounds, 0, scale);
    parent.appendChild(canvas.shown);
    var context = canvas.getContext('2d');
    // Each picture pixel lands on one canvas pixel, never blended with its neighbours.
    context.imageSmoothingEnabled = false;
    contexts.push(context);
};

// Lays the picture of `canvas`, whose rectangle starts at bounds[b], out at `scale`.
function placeSlotCanvas(canvas, bounds, b, scale) {
    canvas.shown.style.cssText = 'left:' + bounds[b] * scale + 'px;top:' + bounds[b + 1] * scale
        + 'px;width:' + (bounds[b + 2] - bounds[b]) * scale + 'px;height:' + (bounds[b + 3] - bounds[b + 1]) * scale + 'px';
}

// Lays each canvas's picture out at `scale` CSS pixels to its pixel.
Module['placeSlotCanvases'] = function (contexts, bounds, scale) {
    for (var i = 0; i < contexts.length; ++i)
        placeSlotCanvas(contexts[i].canvas, bounds, 4 * i, scale);
};

// Runs the program's drawing commands, seven numbers each: the command, the
// canvas, then
//   0 (clip and clear): the rectangle's left, top, width and height;
//   1 (draw): the picture in `sources`, its width and height shown, the left and top;
//   2 (done): nothing (the clip ends);
// then shows each canvas drawn on.
Module['drawSlots'] = function (contexts, sources, commands) {
    var drawn = [];
    for (var i = 0; i < commands.length; i += 7) {
        var context = contexts[commands[i + 1]];
        var a = commands[i + 2], b = commands[i + 3], c = commands[i + 4], d = commands[i + 5];
        if (drawn.indexOf(context) < 0)
            drawn.push(context);
        if (commands[i] === 0) {
            context.save();
            context.beginPath();
            context.rect(a, b, c, d);
            context.clip();
            context.clearRect(a, b, c, d);
        } else if (commands[i] === 1) {
            context.drawImage(sources[a], 0, 0, b, c, d, commands[i + 6], b, c);
        } else {
            context.restore();
        }
    }
    for (var j = 0; j < drawn.length; ++j)
        showSlotCanvas(drawn[j].canvas);
};
