// The input maps of a two-input network: a mapped neuron's output over the input square, with
// axes, a legend and the patterns as dots, and each hidden neuron's map in a square over its
// disc, in net_lab's colours (orange for 0, grey for 0.5, blue for 1).
const NcHeatMap = (() => {
    const lowEnd = [63, 30, 0];
    const middle = [30, 30, 30];
    const highEnd = [0, 28, 63];
    const rampSteps = 63;
    const dotRadius = 4;
    // The plot's square inside the map canvas: room for the axes' numbers and titles on the
    // left and below, and for the corner dots drawn whole on the other sides.
    const plot = {left: 40, top: 8, size: 240};
    const textColor = 'rgb(182,182,182)';
    const frameColor = 'rgb(121,121,121)';

    // The ramp's colour of a value, held to [0, 1]; not a number shows as 0.5.
    function rampColor(value) {
        if (Number.isNaN(value))
            value = 0.5;
        const k = Math.round(Math.min(Math.max(value, 0), 1) * rampSteps) / rampSteps;
        const from = k < 0.5 ? lowEnd : middle;
        const to = k < 0.5 ? middle : highEnd;
        const share = k < 0.5 ? k * 2 : (k - 0.5) * 2;
        return from.map((c, i) => Math.round(Math.round(c + (to[i] - c) * share) * 255 / 63));
    }

    // Value of mapped neuron `index` at grid cell (column, row), row 0 where input 2 is 1.
    function value(maps, index, column, row) {
        return maps.values[(row * maps.grid + column) * maps.mapped.length + index];
    }

    // The centre of a pattern's dot on the canvas: input 1 to the right, input 2 upwards.
    function dotCentre(input1, input2) {
        return {x: plot.left + Math.round(input1 * (plot.size - 1)), y: plot.top + Math.round((1 - input2) * (plot.size - 1))};
    }

    // The inputs at a pixel of the map's canvas, as dotCentre places them; null off the plot.
    function inputsAt(x, y) {
        const input1 = (x - plot.left) / (plot.size - 1);
        const input2 = 1 - (y - plot.top) / (plot.size - 1);
        return input1 >= 0 && input1 <= 1 && input2 >= 0 && input2 <= 1 ? {input1, input2} : null;
    }

    function drawAxes(context) {
        const {left, top, size} = plot;
        const bottom = top + size;
        context.strokeStyle = frameColor;
        context.strokeRect(left - 0.5, top - 0.5, size + 1, size + 1);
        context.font = '11px sans-serif';
        context.fillStyle = textColor;
        context.textBaseline = 'top';
        context.textAlign = 'left';
        context.fillText('0', left, bottom + dotRadius + 2);
        context.textAlign = 'right';
        context.fillText('1', left + size, bottom + dotRadius + 2);
        context.textAlign = 'center';
        context.fillText('input 1', left + size / 2, bottom + dotRadius + 2);
        context.textBaseline = 'middle';
        context.textAlign = 'right';
        context.fillText('1', left - dotRadius - 3, top + 4);
        context.fillText('0', left - dotRadius - 3, bottom - 4);
        context.save();
        context.translate(left - dotRadius - 14, top + size / 2);
        context.rotate(-Math.PI / 2);
        context.textAlign = 'center';
        context.fillText('input 2', 0, 0);
        context.restore();
        // The legend: the colour of an output of 0 and of 1, dots and map alike.
        const legendY = bottom + dotRadius + 26;
        context.textAlign = 'left';
        [[0, left], [1, left + size / 2]].forEach(([output, x]) => {
            context.fillStyle = `rgb(${rampColor(output).join(',')})`;
            context.fillRect(x, legendY - 5, 10, 10);
            context.fillStyle = textColor;
            context.fillText(`output ${output}`, x + 14, legendY);
        });
    }

    // A square image of `side` pixels to fill, kept from one drawing to the next.
    const images = new Map();
    function imageOf(context, side) {
        if (!images.has(side))
            images.set(side, context.createImageData(side, side));
        return images.get(side);
    }

    // The map of mapped neuron `index` (0 the first output) with the patterns' dots on it.
    function drawMap(context, maps, index = 0) {
        const {width, height} = NcCanvasBox.size(context.canvas);
        context.fillStyle = 'black';
        context.fillRect(0, 0, width, height);
        const image = imageOf(context, plot.size);
        for (let y = 0; y < plot.size; ++y) {
            const row = Math.trunc(y * maps.grid / plot.size);
            for (let x = 0; x < plot.size; ++x) {
                const [r, g, b] = rampColor(value(maps, index, Math.trunc(x * maps.grid / plot.size), row));
                image.data.set([r, g, b, 255], 4 * (y * plot.size + x));
            }
        }
        NcCanvasBox.putImage(context, image, plot.left, plot.top);
        drawAxes(context);
        for (let i = 0; i < maps.dots.length; i += 3) {
            const [input1, input2, expected] = [maps.dots[i], maps.dots[i + 1], maps.dots[i + 2]];
            if (!(input1 >= 0 && input1 <= 1 && input2 >= 0 && input2 <= 1))
                continue;
            const {x, y} = dotCentre(input1, input2);
            context.fillStyle = `rgb(${rampColor(expected).join(',')})`;
            context.strokeStyle = 'white';
            context.beginPath();
            context.arc(x + 0.5, y + 0.5, dotRadius, 0, 2 * Math.PI);
            context.fill();
            context.stroke();
        }
    }

    // Each hidden neuron's map in the square around the disc the network drawing gave it,
    // framed in the ring's colour: the corners, where patterns often lie, stay in sight.
    function drawHiddenMaps(context, maps, layout, frameColour) {
        const reach = layout.radius - 1;
        const across = 2 * reach + 1;
        if (across < 1)
            return;
        for (let index = 1; index < maps.mapped.length; ++index) {
            const centre = layout.positions[maps.mapped[index]];
            if (!centre)
                continue;
            const image = imageOf(context, across);
            for (let dy = 0; dy < across; ++dy) {
                const row = Math.trunc(dy * maps.grid / across);
                for (let dx = 0; dx < across; ++dx) {
                    const [r, g, b] = rampColor(value(maps, index, Math.trunc(dx * maps.grid / across), row));
                    image.data.set([r, g, b, 255], 4 * (dy * across + dx));
                }
            }
            NcCanvasBox.putImage(context, image, centre.x - reach, centre.y - reach);
            context.strokeStyle = frameColour;
            context.strokeRect(centre.x - reach - 0.5, centre.y - reach - 0.5, across + 1, across + 1);
        }
    }

    return {rampColor, drawMap, drawHiddenMaps, dotCentre, inputsAt, dotRadius};
})();

if (typeof module !== 'undefined')
    module.exports = NcHeatMap;
