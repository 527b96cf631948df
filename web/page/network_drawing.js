// The network drawn as net_tester draws it: one column per layer, every neuron a disc shaded
// by its output inside a ring of its kind, bars to the edges for inputs and outputs, every
// connection a line shaded by its weight, and the output written under each neuron.
const NcNetworkDrawing = (() => {
    // Colours in the programs' 6-bit components.
    const inputColor = [0, 14, 48];
    const computingColor = [0, 45, 0];
    const textColor = [2, 35, 10];
    const negativeEnd = [0, 42, 63];

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

    // The centres and radius the bindings computed with the C++ layout, as objects.
    function layoutOf(network) {
        const positions = [];
        for (let i = 0; i + 1 < network.centres.length; i += 2)
            positions.push({x: network.centres[i], y: network.centres[i + 1]});
        return {positions, radius: network.radius};
    }

    // Draws `network` (centres and radius, outputs, connections as target, source, weight triples, unless
    // there are more than the bindings hand over, connectionCount, maxWeight, inputCount,
    // outputCount) on the canvas context; returns the layout.
    function draw(context, network) {
        const {width, height} = context.canvas;
        context.fillStyle = 'black';
        context.fillRect(0, 0, width, height);
        const layout = layoutOf(network);
        const {positions, radius} = layout;
        const count = Math.min(network.outputs.length, positions.length);
        const firstOutput = network.outputs.length - network.outputCount;
        const connections = network.connections;
        if (connections.length / 3 === network.connectionCount) {
            context.lineWidth = 1;
            for (let i = 0; i < connections.length; i += 3) {
                const target = positions[connections[i]];
                const source = positions[connections[i + 1]];
                if (!target || !source)
                    continue;
                context.strokeStyle = shade(weightRatio(connections[i + 2], network.maxWeight));
                context.beginPath();
                context.moveTo(source.x + 0.5, source.y + 0.5);
                context.lineTo(target.x + 0.5, target.y + 0.5);
                context.stroke();
            }
        } else {
            context.fillStyle = rgb(textColor);
            context.font = '10px monospace';
            context.fillText(`${network.connectionCount} connections: too many to draw`, 2, height - 4);
        }
        context.font = '10px monospace';
        for (let i = 0; i < count; ++i) {
            const {x, y} = positions[i];
            const input = i < network.inputCount;
            context.fillStyle = rgb(inputColor);
            if (input)
                context.fillRect(0, y - 1, x, 3);
            if (i >= firstOutput)
                context.fillRect(x, y - 1, width - x, 3);
            context.fillStyle = shade(network.outputs[i]);
            context.beginPath();
            context.arc(x + 0.5, y + 0.5, radius - 1, 0, 2 * Math.PI);
            context.fill();
            context.strokeStyle = rgb(input ? inputColor : computingColor);
            context.beginPath();
            context.arc(x + 0.5, y + 0.5, radius, 0, 2 * Math.PI);
            context.stroke();
            context.fillStyle = rgb(textColor);
            context.fillText(network.outputs[i].toFixed(6), x - 15, y + radius + 9);
        }
        return layout;
    }

    return {draw, shade, weightRatio, rgb};
})();

if (typeof module !== 'undefined')
    module.exports = NcNetworkDrawing;
