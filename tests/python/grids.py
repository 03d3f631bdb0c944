"""Grids written by GDAL, which reads them back as the oracle of the tests."""
import os

import numpy

COLUMNS, ROWS = 23, 17
WEST, NORTH, DX, DY = 1000.0, 5000.0, 25.0, 20.0
NODATA = -9999.0


def values():
    """Varied values, exact in binary at any precision a format keeps, with
    null cells scattered and a null corner."""
    rows, columns = numpy.mgrid[0:ROWS, 0:COLUMNS]
    v = ((rows * 37 + columns * 11) % 101 - 40) * 0.25 + rows * 0.5
    v = v.astype(numpy.float32)
    v[(rows * 7 + columns * 3) % 19 == 0] = NODATA
    v[0, 0] = NODATA
    return v

# label: (GDAL driver, extension, creation options), and the name gridlib gives the format.
FORMATS = {
    'esri_ascii': ('AAIGrid', '.asc', ()),
    'surfer7': ('GS7BG', '.grd', ()),
    'surfer6': ('GSBG', '.grd', ()),
    'geotiff': ('GTiff', '.tif', ()),
    'geotiff_tiled': ('GTiff', '.tif', ('TILED=YES', 'BLOCKXSIZE=16', 'BLOCKYSIZE=16', 'COMPRESS=DEFLATE')),
    'netcdf': ('netCDF', '.nc', ()),
    'er_mapper': ('ERS', '.ers', ()),
}


def write_grid(gdal, folder, driver, extension, options=()):
    """Writes the test grid with a GDAL driver (through a GeoTIFF for the
    drivers that only copy) and returns its path."""
    path = os.path.join(str(folder), driver.lower() + '-' + str(len(options)) + extension)
    memory = gdal.GetDriverByName('MEM').Create('', COLUMNS, ROWS, 1, gdal.GDT_Float32)
    memory.SetGeoTransform((WEST, DX, 0.0, NORTH, 0.0, -DY))
    band = memory.GetRasterBand(1)
    band.SetNoDataValue(NODATA)
    band.WriteArray(values())
    out = gdal.GetDriverByName(driver).CreateCopy(path, memory, options=list(options))
    assert out is not None, driver
    out = None
    return path


def gdal_read(gdal, path):
    """GDAL's reading: values with NaN for nulls, and the geotransform."""
    dataset = gdal.Open(path)
    band = dataset.GetRasterBand(1)
    array = band.ReadAsArray().astype(numpy.float32)
    nodata = band.GetNoDataValue()
    if nodata is not None:
        array[array == numpy.float32(nodata)] = numpy.nan
    return array, dataset.GetGeoTransform()


def write_surfer6(path, columns, rows):
    """A Surfer 6 grid ("DSBB": 56-byte header, 32-bit reals, the southern
    row first) of smooth values, written directly: fast for grids large
    enough that converting them takes a while."""
    import struct
    y, x = numpy.mgrid[0:rows, 0:columns].astype(numpy.float32)
    values = (numpy.sin(x / 97.0) * numpy.cos(y / 61.0) * 500.0 + x * 0.01).astype('<f4')
    with open(path, 'wb') as f:
        f.write(b'DSBB' + struct.pack('<2h6d', columns, rows, 0.0, columns - 1.0, 0.0, rows - 1.0,
                                      float(values.min()), float(values.max())))
        values.tofile(f)
    return path
