// The learning curve as net_lab draws it: worst error and mean squared error against passes
// on a logarithmic scale of whole decades, with a line at the error limit, and the held-out
// patterns' two errors when some are held out.
const NcLineChart = (() => {
    const maxDecades = 6;
    const smallestShown = 1e-12;  // smaller errors lie on the bottom of the scale
    const colors = {
        worst: 'rgb(255,81,81)', meanSquared: 'rgb(81,223,81)', limit: 'rgb(243,223,40)',
        frame: 'rgb(121,121,121)', text: 'rgb(182,182,182)',
        heldOutWorst: 'rgb(255,162,243)', heldOutMeanSquared: 'rgb(81,203,255)',
    };
    const margin = {left: 44, right: 8, top: 22, bottom: 18};

    function isShown(value) {
        return Number.isFinite(value) && value > smallestShown;
    }

    // Whole decades that hold every point and the limit, the top at 1 or above.
    function fitScale(points, errorLimit) {
        let low = isShown(errorLimit) ? errorLimit : 1;
        let high = low;
        // Without held-out patterns their errors are 0, which is never shown.
        for (const [, ...errors] of points) {
            for (const value of errors) {
                if (!isShown(value))
                    continue;
                low = Math.min(low, value);
                high = Math.max(high, value);
            }
        }
        const highExponent = Math.max(0, Math.ceil(Math.log10(high)));
        let lowExponent = Math.floor(Math.log10(low));
        if (lowExponent >= highExponent)
            lowExponent = highExponent - 1;
        lowExponent = Math.max(lowExponent, highExponent - maxDecades);
        const lastPass = points.length === 0 ? 1 : Math.max(points[points.length - 1][0], 1);
        return {lowExponent, highExponent, lastPass};
    }

    function valueRow(scale, value, height) {
        const bottom = height - 1;
        if (!isShown(value))
            return bottom;
        const aboveBottom = (Math.log10(value) - scale.lowExponent) / (scale.highExponent - scale.lowExponent);
        return Math.round(bottom - Math.min(Math.max(aboveBottom, 0), 1) * bottom);
    }

    function passColumn(scale, pass, width) {
        return Math.round(Math.min(Math.max(pass / scale.lastPass, 0), 1) * (width - 1));
    }

    // Draws `points` ([pass, worst, meanSquared, heldOutWorst, heldOutMeanSquared] in pass
    // order) filling the canvas; the held-out errors only with `heldOut`.
    function draw(context, points, errorLimit, heldOut = false) {
        const {width: canvasWidth, height: canvasHeight} = context.canvas;
        context.fillStyle = 'black';
        context.fillRect(0, 0, canvasWidth, canvasHeight);
        const x = margin.left;
        const y = margin.top;
        const width = canvasWidth - margin.left - margin.right;
        const height = canvasHeight - margin.top - margin.bottom;
        const scale = fitScale(points, errorLimit);
        context.font = '10px monospace';
        context.textBaseline = 'middle';
        // Five labels need the shorter words to fit the row.
        const legend = heldOut
            ? [['worst', colors.worst], ['mean sq.', colors.meanSquared], ['limit', colors.limit],
                ['test worst', colors.heldOutWorst], ['test mean sq.', colors.heldOutMeanSquared]]
            : [['worst error', colors.worst], ['mean squared', colors.meanSquared], ['error limit', colors.limit]];
        const legendStep = heldOut ? 68 : 100;
        legend.forEach(([label, color], i) => {
            context.fillStyle = color;
            context.fillText(label, x + legendStep * i, 8);
        });
        context.strokeStyle = colors.frame;
        context.strokeRect(x + 0.5, y + 0.5, width - 1, height - 1);
        context.fillStyle = colors.text;
        context.textAlign = 'right';
        for (let exponent = scale.lowExponent; exponent <= scale.highExponent; ++exponent)
            context.fillText(`1e${exponent}`, x - 5, y + valueRow(scale, 10 ** exponent, height));
        context.fillText(String(scale.lastPass), x + width - 1, y + height + 9);
        context.textAlign = 'left';
        context.fillText('0', x, y + height + 9);
        if (isShown(errorLimit)) {
            context.fillStyle = colors.limit;
            context.fillRect(x + 1, y + valueRow(scale, errorLimit, height), width - 2, 1);
        }
        const lines = [[2, colors.meanSquared], [1, colors.worst]];
        if (heldOut)
            lines.unshift([4, colors.heldOutMeanSquared], [3, colors.heldOutWorst]);
        for (const [column, color] of lines) {
            context.strokeStyle = color;
            context.beginPath();
            points.forEach((point, i) => {
                const px = x + passColumn(scale, point[0], width) + 0.5;
                const py = y + valueRow(scale, point[column], height) + 0.5;
                if (i === 0)
                    context.moveTo(px, py);
                else
                    context.lineTo(px, py);
            });
            context.stroke();
        }
    }

    return {fitScale, valueRow, passColumn, draw};
})();

if (typeof module !== 'undefined')
    module.exports = NcLineChart;
