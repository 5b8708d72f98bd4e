// The slots' canvases, made and drawn in bulk: one call from the program for
// all of them, where a call for each canvas and each slot would cost more in
// crossing between the program and the page than the drawing itself.

// Adds a canvas to `parent` for each rectangle in `bounds` (left, top, right,
// bottom, in pixels) and returns their 2D contexts.
Module['makeSlotCanvases'] = function (parent, bounds) {
    var contexts = [];
    var canvases = document.createDocumentFragment();
    for (var i = 0; i < bounds.length; i += 4) {
        var canvas = document.createElement('canvas');
        canvas.width = bounds[i + 2] - bounds[i];
        canvas.height = bounds[i + 3] - bounds[i + 1];
        canvases.appendChild(canvas);
        var context = canvas.getContext('2d');
        // Each picture pixel lands on one canvas pixel, never blended with its neighbours.
        context.imageSmoothingEnabled = false;
        contexts.push(context);
    }
    parent.appendChild(canvases);
    return contexts;
};

// Lays each canvas out at `scale` CSS pixels to its pixel.
Module['placeSlotCanvases'] = function (contexts, bounds, scale) {
    for (var i = 0; i < contexts.length; ++i) {
        var b = 4 * i;
        contexts[i].canvas.style.cssText = 'left:' + bounds[b] * scale + 'px;top:' + bounds[b + 1] * scale
            + 'px;width:' + (bounds[b + 2] - bounds[b]) * scale + 'px;height:' + (bounds[b + 3] - bounds[b + 1]) * scale + 'px';
    }
};

// Runs the program's drawing commands, seven numbers each: the command, the
// canvas, then
//   0 (clip and clear): the rectangle's left, top, width and height;
//   1 (draw): the picture in `sources`, its width and height shown, the left and top;
//   2 (done): nothing (the clip ends).
Module['drawSlots'] = function (contexts, sources, commands) {
    for (var i = 0; i < commands.length; i += 7) {
        var context = contexts[commands[i + 1]];
        var a = commands[i + 2], b = commands[i + 3], c = commands[i + 4], d = commands[i + 5];
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
};
