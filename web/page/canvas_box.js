// Canvases drawn in CSS pixels at the screen's sharpness: a canvas's backing store follows the
// size it is shown at times the device pixel ratio, and its drawing code works in CSS pixels.
const NcCanvasBox = (() => {
    const sizes = new WeakMap();

    // Shows `canvas` at `width` x `height` CSS pixels (whole ones, at least 1) with a backing
    // store of as many device pixels and a context scaled so that its drawing code works in
    // `drawing`'s pixels (the shown size unless given); returns whether anything changed,
    // which means the canvas lost its drawing.
    function fit(canvas, width, height, drawing = null) {
        const ratio = window.devicePixelRatio || 1;
        const shownWidth = Math.max(1, Math.round(width));
        const shownHeight = Math.max(1, Math.round(height));
        const fitted = {width: drawing ? drawing.width : shownWidth, height: drawing ? drawing.height : shownHeight,
            shownWidth, shownHeight, ratio};
        const known = sizes.get(canvas);
        if (known && ['width', 'height', 'shownWidth', 'shownHeight', 'ratio'].every((key) => known[key] === fitted[key]))
            return false;
        canvas.width = Math.round(shownWidth * ratio);
        canvas.height = Math.round(shownHeight * ratio);
        canvas.style.width = `${shownWidth}px`;
        canvas.style.height = `${shownHeight}px`;
        canvas.getContext('2d').setTransform(canvas.width / fitted.width, 0, 0, canvas.height / fitted.height, 0, 0);
        sizes.set(canvas, fitted);
        return true;
    }

    // Whether the screen's pixel ratio changed since `canvas` was fitted.
    const ratioChanged = (canvas) => !sizes.has(canvas) || sizes.get(canvas).ratio !== (window.devicePixelRatio || 1);

    // The size the canvas's drawing code works in: its fitted drawing size, or its own pixels
    // for a canvas never fitted.
    function size(canvas) {
        return sizes.get(canvas) || {width: canvas.width, height: canvas.height, ratio: 1};
    }

    // The point of the drawing under a pointer event, whatever size the canvas is shown at.
    function pointAt(canvas, event) {
        const box = canvas.getBoundingClientRect();
        const {width, height} = size(canvas);
        return {x: (event.clientX - box.left) * width / box.width, y: (event.clientY - box.top) * height / box.height};
    }

    // An image drawn into a context at a point of its drawing, scaled with it: putImageData
    // would write device pixels and ignore the scale. The scratch canvas is kept for the next.
    const scratch = typeof document === 'undefined' ? null : document.createElement('canvas');
    function putImage(context, image, x, y) {
        if (scratch.width !== image.width || scratch.height !== image.height) {
            scratch.width = image.width;
            scratch.height = image.height;
        }
        scratch.getContext('2d').putImageData(image, 0, 0);
        context.imageSmoothingEnabled = false;
        context.drawImage(scratch, x, y);
    }

    return {fit, ratioChanged, size, pointAt, putImage};
})();
