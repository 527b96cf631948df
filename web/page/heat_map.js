// The input maps of a two-input network: the first output over the input square with the
// patterns as dots, and each hidden neuron's map inside its disc, in net_lab's colours
// (orange for 0, grey for 0.5, blue for 1).
const NcHeatMap = (() => {
    const lowEnd = [63, 30, 0];
    const middle = [30, 30, 30];
    const highEnd = [0, 28, 63];
    const rampSteps = 63;
    const dotRadius = 4;

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

    function drawOutputMap(context, maps) {
        const size = context.canvas.width;
        const image = context.createImageData(size, size);
        for (let y = 0; y < size; ++y) {
            const row = Math.trunc(y * maps.grid / size);
            for (let x = 0; x < size; ++x) {
                const [r, g, b] = rampColor(value(maps, 0, Math.trunc(x * maps.grid / size), row));
                const at = 4 * (y * size + x);
                image.data.set([r, g, b, 255], at);
            }
        }
        context.putImageData(image, 0, 0);
        for (let i = 0; i < maps.dots.length; i += 3) {
            const [input1, input2, expected] = [maps.dots[i], maps.dots[i + 1], maps.dots[i + 2]];
            if (!(input1 >= 0 && input1 <= 1 && input2 >= 0 && input2 <= 1))
                continue;
            const x = Math.round(input1 * (size - 1));
            const y = Math.round((1 - input2) * (size - 1));
            context.fillStyle = `rgb(${rampColor(expected).join(',')})`;
            context.strokeStyle = 'white';
            context.beginPath();
            context.arc(x + 0.5, y + 0.5, dotRadius, 0, 2 * Math.PI);
            context.fill();
            context.stroke();
        }
    }

    // Each hidden neuron's map inside the disc the network drawing gave it, painted on a
    // scratch canvas whose pixels outside the disc stay transparent.
    const scratch = document.createElement('canvas');

    function drawHiddenMaps(context, maps, layout) {
        const reach = layout.radius - 1;
        const across = 2 * reach + 1;
        if (across < 1)
            return;
        scratch.width = across;
        scratch.height = across;
        const scratchContext = scratch.getContext('2d');
        for (let index = 1; index < maps.mapped.length; ++index) {
            const centre = layout.positions[maps.mapped[index]];
            if (!centre)
                continue;
            const image = scratchContext.createImageData(across, across);
            for (let dy = -reach; dy <= reach; ++dy) {
                const row = Math.trunc((dy + reach) * maps.grid / across);
                for (let dx = -reach; dx <= reach; ++dx) {
                    if (dx * dx + dy * dy > reach * reach)
                        continue;
                    const [r, g, b] = rampColor(value(maps, index, Math.trunc((dx + reach) * maps.grid / across), row));
                    image.data.set([r, g, b, 255], 4 * ((dy + reach) * across + dx + reach));
                }
            }
            scratchContext.putImageData(image, 0, 0);
            context.drawImage(scratch, centre.x - reach, centre.y - reach);
        }
    }

    return {rampColor, drawOutputMap, drawHiddenMaps};
})();

if (typeof module !== 'undefined')
    module.exports = NcHeatMap;
