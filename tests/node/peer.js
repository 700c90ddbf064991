// Test peer: "read <file>" prints the first sheet as JSON rows; "write <file>" writes a small BIFF8 workbook.
const XLSX = require('xlsx');
const [mode, file] = process.argv.slice(2);
if (mode === 'read') {
  const book = XLSX.readFile(file);
  const sheet = book.Sheets[book.SheetNames[0]];
  const cells = {};
  for (const key of Object.keys(sheet).sort()) {
    if (key[0] === '!') continue;
    cells[key] = sheet[key].f !== undefined ? { v: sheet[key].v, f: sheet[key].f } : sheet[key].v;
  }
  console.log(JSON.stringify({ names: book.SheetNames, cells }));
} else if (mode === 'write') {
  const rows = [['Ldraw#', 'Part Name', 'All', 'Black', 'Red'], [], ['3001', 'Brick 2 x 4 \u00e9\u4e2d', 5, 2, 3], ['3003', 'Brick 2 x 2', 1, true, 'x']];
  const sheet = XLSX.utils.aoa_to_sheet(rows);
  const book = XLSX.utils.book_new();
  XLSX.utils.book_append_sheet(book, sheet, 'Sheet1');
  XLSX.writeFile(book, file, { bookType: 'biff8' });
}
