// Canvases drawn in CSS pixels at the screen's sharpness: a canvas's backing store follows the
// size it is shown at times the device pixel ratio, and its drawing code works in CSS pixels.
const NcCanvasBox = (() => {
    const sizes = new WeakMap();

    // Shows `canvas` at `width` x `height` CSS pixels (whole ones, at least 1) with a backing
    // store of as many device pixels and a context scaled to match; returns whether anything
    // changed, which means the canvas lost its drawing.
    function fit(canvas, width, height) {
        const ratio = window.devicePixelRatio || 1;
        const shown = {width: Math.max(1, Math.round(width)), height: Math.max(1, Math.round(height)), ratio};
        const known = sizes.get(canvas);
        if (known && known.width === shown.width && known.height === shown.height && known.ratio === ratio)
            return false;
        canvas.width = Math.round(shown.width * ratio);
        canvas.height = Math.round(shown.height * ratio);
        canvas.style.width = `${shown.width}px`;
        canvas.style.height = `${shown.height}px`;
        canvas.getContext('2d').setTransform(ratio, 0, 0, ratio, 0, 0);
        sizes.set(canvas, shown);
        return true;
    }

    // The size in CSS pixels the canvas's drawing code works in: its fitted size, or its own
    // pixels for a canvas never fitted.
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

    return {fit, size, pointAt, putImage};
})();
