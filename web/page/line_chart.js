// The learning curve as net_lab draws it: worst error and mean squared error against passes
// on a logarithmic scale of whole decades, with a line at the error limit, and the held-out
// patterns' two errors when some are held out; the axes and the limit's line are named.
const NcLineChart = (() => {
    const colors = {
        worst: 'rgb(255,81,81)', meanSquared: 'rgb(81,223,81)', limit: 'rgb(243,223,40)',
        frame: 'rgb(121,121,121)', text: 'rgb(182,182,182)',
        heldOutWorst: 'rgb(255,162,243)', heldOutMeanSquared: 'rgb(81,203,255)',
    };
    const margin = {left: 54, right: 8, top: 22, bottom: 18};
    const font = '11px monospace';  // the smallest text a phone shows legibly
    const legendRow = 14;  // pixels from one row of the legend to the next
    const legendGap = 14;  // pixels between two names on a row

    // The legend's names placed left to right from `left`, on as many rows as `width` needs;
    // each as [label, colour, x, row], and the number of rows.
    function legendPlaces(context, legend, left, width) {
        const places = [];
        let x = left;
        let row = 0;
        for (const [label, color] of legend) {
            const length = context.measureText(label).width;
            if (x > left && x + length > left + width) {
                x = left;
                ++row;
            }
            places.push([label, color, x, row]);
            x += length + legendGap;
        }
        return {places, rows: row + 1};
    }

    // Draws the curve `curveFor(width, height)` gives for the box left in the canvas (the lab
    // session's curveDrawing: rows and columns on net_lab's scale), filling the canvas; the
    // held-out errors only with `heldOut`; the limit's line is named with `errorLimit`'s value.
    function draw(context, curveFor, heldOut = false, errorLimit = undefined) {
        const {width: canvasWidth, height: canvasHeight} = NcCanvasBox.size(context.canvas);
        context.fillStyle = 'black';
        context.fillRect(0, 0, canvasWidth, canvasHeight);
        context.font = font;
        context.textBaseline = 'middle';
        // Five names need the shorter words; a narrow canvas puts them on two rows.
        const legend = heldOut
            ? [['worst', colors.worst], ['mean sq.', colors.meanSquared], ['limit', colors.limit],
                ['test worst', colors.heldOutWorst], ['test mean sq.', colors.heldOutMeanSquared]]
            : [['worst error', colors.worst], ['mean squared', colors.meanSquared], ['error limit', colors.limit]];
        const {places, rows} = legendPlaces(context, legend, margin.left, canvasWidth - margin.left - margin.right);
        const x = margin.left;
        const y = margin.top + legendRow * (rows - 1);
        const width = canvasWidth - margin.left - margin.right;
        const height = canvasHeight - y - margin.bottom;
        const curve = curveFor(width, height);
        for (const [label, color, labelX, row] of places) {
            context.fillStyle = color;
            context.fillText(label, labelX, 8 + legendRow * row);
        }
        context.strokeStyle = colors.frame;
        context.strokeRect(x + 0.5, y + 0.5, width - 1, height - 1);
        context.fillStyle = colors.text;
        context.textAlign = 'right';
        for (const [exponent, row] of curve.decades)
            context.fillText(`1e${exponent}`, x - 5, y + row);
        context.fillText(String(curve.lastPass), x + width - 1, y + height + 9);
        context.textAlign = 'left';
        context.fillText('0', x, y + height + 9);
        context.textAlign = 'center';
        context.fillText('passes', x + width / 2, y + height + 9);
        context.save();
        context.translate(8, y + height / 2);
        context.rotate(-Math.PI / 2);
        context.fillText('error, log scale', 0, 0);
        context.restore();
        context.textAlign = 'left';
        if (curve.limitRow >= 0) {
            context.fillStyle = colors.limit;
            context.fillRect(x + 1, y + curve.limitRow, width - 2, 1);
            const limitText = errorLimit === undefined ? 'error limit' : `error limit ${NcPageState.shortNumber(errorLimit)}`;
            // Above the line, unless the line runs along the box's top.
            const textRow = curve.limitRow > 12 ? curve.limitRow - 7 : curve.limitRow + 8;
            context.textAlign = 'right';
            context.fillText(limitText, x + width - 4, y + textRow);
            context.textAlign = 'left';
        }
        const lines = [[curve.meanSquared, colors.meanSquared], [curve.worst, colors.worst]];
        if (heldOut)
            lines.unshift([curve.heldOutMeanSquared, colors.heldOutMeanSquared], [curve.heldOutWorst, colors.heldOutWorst]);
        for (const [rows, color] of lines) {
            context.strokeStyle = color;
            context.beginPath();
            rows.forEach((row, i) => {
                const px = x + curve.columns[i] + 0.5;
                const py = y + row + 0.5;
                if (i === 0)
                    context.moveTo(px, py);
                else
                    context.lineTo(px, py);
            });
            context.stroke();
        }
    }

    return {draw};
})();

if (typeof module !== 'undefined')
    module.exports = NcLineChart;
