// The network drawn as net_tester draws it: one column per layer, every neuron a disc shaded
// by its output inside a ring of its kind, bars to the edges for inputs and outputs, every
// connection a line shaded by its weight, and the output written under each neuron; a layer
// packed tighter than the pixel rows as a shaded column, as net_lab draws it.
const NcNetworkDrawing = (() => {
    // Colours in the programs' 6-bit components.
    const inputColor = [0, 14, 48];
    const computingColor = [0, 45, 0];
    const textColor = [2, 35, 10];
    const negativeEnd = [0, 42, 63];
    const noteLineHeight = 11;  // pixels between the lines of the note under the drawing

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

    // Draws `network` as the bindings hand it over (radius, discs as neuron, x, y, output
    // quadruples, columns, lines as source x, source y, target x, target y, weight, note,
    // maxWeight, inputCount, firstOutput) on the canvas context; returns the layout of the
    // neurons drawn as discs: their centres by neuron, and the radius.
    function draw(context, network) {
        const {width, height} = context.canvas;
        const {radius, discs, lines} = network;
        context.fillStyle = 'black';
        context.fillRect(0, 0, width, height);
        context.lineWidth = 1;
        for (let i = 0; i + 4 < lines.length; i += 5) {
            context.strokeStyle = shade(weightRatio(lines[i + 4], network.maxWeight));
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
        context.font = '10px monospace';
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
        // The note's parts one under the other: the canvas is narrower than net_lab's screen.
        const noteParts = network.note ? network.note.split('; ') : [];
        context.fillStyle = rgb(textColor);
        noteParts.forEach((part, index) =>
            context.fillText(part, 2, height - 4 - noteLineHeight * (noteParts.length - 1 - index)));
        return {positions, radius};
    }

    return {draw, shade, weightRatio, rgb};
})();

if (typeof module !== 'undefined')
    module.exports = NcNetworkDrawing;
