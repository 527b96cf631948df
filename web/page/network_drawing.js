// The network drawn as net_tester draws it: one column per layer, every neuron a disc shaded
// by its output inside a ring of its kind, bars to the edges for inputs and outputs, every
// connection a line shaded by its weight, and the output written under each neuron; a layer
// packed tighter than the pixel rows as a shaded column, as net_lab draws it. Each layer is
// named above its column.
const NcNetworkDrawing = (() => {
    // Colours in the programs' 6-bit components.
    const inputColor = [0, 14, 48];
    const computingColor = [0, 45, 0];
    const textColor = [2, 35, 10];
    const negativeEnd = [0, 42, 63];
    const noteLineHeight = 12;  // pixels between the lines of the note under the drawing
    const font = '11px monospace';  // the smallest text a phone shows legibly
    const labelColor = [45, 45, 45];
    const labelOverhang = 8;  // pixels a layer's name reaches right of its column's centre
    // The least share of the full shade a connection of any weight gets, so that the small
    // starting weights show; a weight's sign keeps its colour.
    const visibleShare = 0.35;

    // A colour of 6-bit components as the programs' palette shows it.
    function rgb(components) {
        const [r, g, b] = components.map((c) => (c << 2) | (c >> 4));
        return `rgb(${r},${g},${b})`;
    }

    // The ramp colour of a ratio in [-1, 1]: blue below 0, grey from 0 on, 64 steps each.
    function shade(ratio) {
        if (Number.isNaN(ratio))
            ratio = 0;
        ratio = Math.min(Math.max(ratio, -1), 1);
        const step = Math.trunc(63 * Math.abs(ratio));
        const end = ratio < 0 ? negativeEnd : [63, 63, 63];
        return rgb(end.map((c) => Math.trunc(c * step / 63)));
    }

    // The ratio a connection's shade follows; the same rule as the C++ views'.
    function weightRatio(weight, scale) {
        if (scale === 0)
            return weight > 0 ? 1 : (weight < 0 ? -1 : 0);
        return Math.min(Math.max(weight / scale, -1), 1);
    }

    // The share of the full shade a line of `ratio` (in [-1, 1]) is drawn with: none for 0, at
    // least the visible share otherwise.
    function visibleRatio(ratio) {
        if (ratio === 0)
            return 0;
        return Math.sign(ratio) * (visibleShare + (1 - visibleShare) * Math.abs(ratio));
    }

    // The layers' columns, left to right, as the x of their neurons; and each neuron's layer
    // and place in it (0 the top).
    function layersOf(network) {
        const xs = [...new Set([...network.columns.map((column) => column.x),
            ...network.discs.filter((_, i) => i % 4 === 1)])].sort((a, b) => a - b);
        const places = [];
        const counts = xs.map(() => 0);
        for (let i = 0; i + 3 < network.discs.length; i += 4) {
            const layer = xs.indexOf(network.discs[i + 1]);
            places[network.discs[i]] = {layer, row: counts[layer]++};
        }
        return {xs, places};
    }

    // The name of layer `layer` of `count`: inputs, hidden 1, 2, ..., output.
    function layerName(layer, count) {
        if (layer === 0)
            return 'inputs';
        return layer === count - 1 ? 'output' : `hidden ${layer}`;
    }

    // Draws `network` as the bindings hand it over (radius, discs as neuron, x, y, output
    // quadruples, columns, lines as source x, source y, target x, target y, weight, note,
    // maxWeight, inputCount, firstOutput) on the canvas context; returns the layout of the
    // neurons drawn as discs: their centres by neuron, the radius, each neuron's name, and the
    // inputs the values drawn belong to (none while an input is not drawn as a disc).
    function draw(context, network) {
        const {width, height} = NcCanvasBox.size(context.canvas);
        const {radius, discs, lines} = network;
        context.fillStyle = 'black';
        context.fillRect(0, 0, width, height);
        context.lineWidth = 1;
        for (let i = 0; i + 4 < lines.length; i += 5) {
            context.strokeStyle = shade(visibleRatio(weightRatio(lines[i + 4], network.maxWeight)));
            context.beginPath();
            context.moveTo(lines[i] + 0.5, lines[i + 1] + 0.5);
            context.lineTo(lines[i + 2] + 0.5, lines[i + 3] + 0.5);
            context.stroke();
        }
        // A packed layer, one pixel row per neuron shown, between the rings' two sides.
        for (const column of network.columns) {
            for (let row = 0; row < column.shades.length; ++row) {
                context.fillStyle = shade(column.shades[row]);
                context.fillRect(column.x - radius + 1, column.top + row, 2 * radius - 1, 1);
            }
            context.fillStyle = rgb(column.input ? inputColor : computingColor);
            for (const side of [column.x - radius, column.x + radius])
                context.fillRect(side, column.top, 1, column.bottom - column.top + 1);
        }
        const positions = [];
        context.font = font;
        for (let i = 0; i + 3 < discs.length; i += 4) {
            const [neuron, x, y, output] = [discs[i], discs[i + 1], discs[i + 2], discs[i + 3]];
            positions[neuron] = {x, y};
            const input = neuron < network.inputCount;
            context.fillStyle = rgb(inputColor);
            if (input)
                context.fillRect(0, y - 1, x, 3);
            if (neuron >= network.firstOutput)
                context.fillRect(x, y - 1, width - x, 3);
            context.fillStyle = shade(output);
            context.beginPath();
            context.arc(x + 0.5, y + 0.5, radius - 1, 0, 2 * Math.PI);
            context.fill();
            context.strokeStyle = rgb(input ? inputColor : computingColor);
            context.beginPath();
            context.arc(x + 0.5, y + 0.5, radius, 0, 2 * Math.PI);
            context.stroke();
            context.fillStyle = rgb(textColor);
            context.fillText(output.toFixed(6), x - 15, y + radius + 9);
        }
        const {xs, places} = layersOf(network);
        context.fillStyle = rgb(labelColor);
        // The inputs' name from the left edge and the output's to the right edge, over their
        // bars; a hidden layer's ends a few pixels right of its column's centre, for right of
        // that its lines and values, or nothing, are drawn.
        xs.forEach((x, layer) => {
            const last = layer === xs.length - 1;
            context.textAlign = layer === 0 ? 'left' : 'right';
            const end = layer === 0 ? 2 : (last ? width - 2 : x + labelOverhang);
            context.fillText(layerName(layer, xs.length), end, 9);
        });
        context.textAlign = 'left';
        const names = places.map((place) => place && `${layerName(place.layer, xs.length)}, neuron ${place.row + 1}`);
        // The values are those of the row evaluated last, which the input discs hold.
        const inputs = [];
        for (let i = 0; i + 3 < discs.length; i += 4) {
            if (discs[i] < network.inputCount)
                inputs.push(NcPageState.shortNumber(discs[i + 3]));
        }
        // The note's parts one under the other: the canvas is narrower than net_lab's screen.
        const noteParts = network.note ? network.note.split('; ') : [];
        context.fillStyle = rgb(textColor);
        noteParts.forEach((part, index) =>
            context.fillText(part, 2, height - 4 - noteLineHeight * (noteParts.length - 1 - index)));
        return {positions, radius, names, inputs: inputs.length === network.inputCount ? inputs : []};
    }

    return {draw, shade, weightRatio, visibleRatio, rgb, computingColor};
})();

if (typeof module !== 'undefined')
    module.exports = NcNetworkDrawing;
