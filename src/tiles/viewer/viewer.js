// The pyramid's viewer: Leaflet on a plane in the grid's own coordinates
// (no map projection), the tiles of pyramid.json, and a read-out of the
// cell under the cursor from the value tiles, fetched when first needed.
'use strict';

(function () {
  const size = pyramid.tile_size;
  const finest = pyramid.levels - 1;
  // A grid that cannot be placed is shown in cell units, north up.
  const gt = pyramid.geotransform || [0, 1, 0, 0, 0, -1];
  const scale = Math.pow(2, finest);

  // At zoom level z a tile pixel is 2^(finest - z) cells; Leaflet's Simple
  // CRS makes a unit 2^z pixels, so one cell is 2^-finest units at zoom 0.
  const crs = L.extend({}, L.CRS.Simple, {
    transformation: new L.Transformation(1 / (gt[1] * scale), -gt[0] / (gt[1] * scale),
                                         1 / (gt[5] * scale), -gt[3] / (gt[5] * scale)),
  });
  const west = gt[0], north = gt[3];
  const east = gt[0] + pyramid.columns * gt[1], south = gt[3] + pyramid.rows * gt[5];
  const bounds = L.latLngBounds([[south, west], [north, east]]);

  const map = L.map('map', { crs: crs, minZoom: 0, maxZoom: finest + 4, zoomSnap: 1 });
  L.tileLayer(pyramid.tiles, {
    tileSize: size, minZoom: 0, maxZoom: finest + 4, maxNativeZoom: finest, noWrap: true,
    bounds: bounds,
  }).addTo(map);
  map.fitBounds(bounds);

  // The title is the grid's file name, which may hold any character: it
  // reaches the page as text only, never through an API that parses markup
  // (Leaflet's attribution does).
  document.title = pyramid.title;
  document.getElementById('title').textContent = pyramid.title;

  const readout = document.getElementById('readout');
  const cache = new Map();  // "x/y" -> Promise of a DataView, or null while missing
  const kCached = 64;

  function valueTile(tx, ty) {
    const key = tx + '/' + ty;
    if (!cache.has(key)) {
      if (cache.size >= kCached) cache.delete(cache.keys().next().value);
      const url = pyramid.values.replace('{x}', tx).replace('{y}', ty);
      cache.set(key, fetch(url).then(function (r) {
        if (!r.ok) throw new Error(r.status);
        return r.arrayBuffer();
      }).then(function (b) { return new DataView(b); }).catch(function () { cache.delete(key); return null; }));
    }
    return cache.get(key);
  }

  function format(v) {
    return Number.isInteger(v) ? String(v) : v.toPrecision(7).replace(/\.?0+$/, '');
  }

  let latest = 0;
  function show(latlng) {
    const x = latlng.lng, y = latlng.lat;
    const column = Math.floor((x - gt[0]) / gt[1]), row = Math.floor((y - gt[3]) / gt[5]);
    const where = 'x ' + format(x) + '\ny ' + format(y);
    if (column < 0 || row < 0 || column >= pyramid.columns || row >= pyramid.rows) {
      readout.textContent = where + '\noutside the grid';
      return;
    }
    const cell = 'column ' + column + ', row ' + row;
    const ticket = ++latest;
    valueTile(Math.floor(column / size), Math.floor(row / size)).then(function (view) {
      if (ticket !== latest) return;  // the cursor has moved on
      const v = view ? view.getFloat32(4 * ((row % size) * size + (column % size)), true) : undefined;
      const text = v === undefined ? 'value unavailable' : Number.isNaN(v) ? 'no data' : 'value ' + format(v);
      readout.textContent = where + '\n' + cell + '\n' + text;
    });
  }
  map.on('mousemove', function (e) { show(e.latlng); });
  window.rastrifyViewer = { map: map, show: show, pyramid: pyramid };
})();
