# Makes the georeferenced map pictures the geodata sessions load, with GDAL's command-line tools
# (gdal-bin), into the folder OUT:
#   utm_quad.tif    a GeoTIFF in UTM zone 13N (EPSG:32613), 300 x 200 pixels of 10 m, its upper-left
#                   corner at E 700000, N 4400000 (about 102.67 W, 39.73 N: 2.3 degrees east of the zone's
#                   central meridian, where the projection's scale is 1.00066);
#   merc_40n.png    a plain PNG, 300 x 200, with merc_40n.pgw (13 m pixels, the upper-left corner at
#                   x -11690000, y 4867000 in Web Mercator, about 105.01 W, 40.01 N) and merc_40n.prj;
#   bad_scan.png    a plain PNG whose world file bad_scan.pgw has a word where a number belongs;
#   holed_basin.geojson, parts_basin.geojson  basins on utm_quad.tif (below).
# Run as: cmake -DOUT=folder -P make_geo_fixtures.cmake
if(NOT OUT)
  message(FATAL_ERROR "OUT is not set")
endif()
file(MAKE_DIRECTORY ${OUT})
find_program(GDAL_CREATE gdal_create REQUIRED)
find_program(GDAL_TRANSLATE gdal_translate REQUIRED)
find_program(GDALSRSINFO gdalsrsinfo REQUIRED)

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE status ERROR_VARIABLE errors)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${ARGN}: ${status} ${errors}")
  endif()
endfunction()

file(REMOVE ${OUT}/utm_quad.tif ${OUT}/plain.tif ${OUT}/merc_40n.png ${OUT}/bad_scan.png)
run(${GDAL_CREATE} -q -of GTiff -outsize 300 200 -bands 1 -burn 180 -ot Byte -a_srs EPSG:32613
    -a_ullr 700000 4400000 703000 4398000 ${OUT}/utm_quad.tif)
run(${GDAL_CREATE} -q -of GTiff -outsize 300 200 -bands 1 -burn 200 -ot Byte ${OUT}/plain.tif)
run(${GDAL_TRANSLATE} -q --config GDAL_PAM_ENABLED NO -of PNG ${OUT}/plain.tif ${OUT}/merc_40n.png)
run(${GDAL_TRANSLATE} -q --config GDAL_PAM_ENABLED NO -of PNG ${OUT}/plain.tif ${OUT}/bad_scan.png)
file(REMOVE ${OUT}/plain.tif)
# A world file gives the centre of the upper-left pixel: the corner plus half a pixel.
file(WRITE ${OUT}/merc_40n.pgw "13\n0\n0\n-13\n-11689993.5\n4866993.5\n")
execute_process(COMMAND ${GDALSRSINFO} --single-line -o wkt_esri EPSG:3857 OUTPUT_FILE ${OUT}/merc_40n.prj
                RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "gdalsrsinfo: ${status}")
endif()
file(WRITE ${OUT}/bad_scan.pgw "13\n0\nzero\n-13\n-11689993.5\n4866993.5\n")
# holed_basin.geojson: a basin on utm_quad.tif in its own system, a square of 1 km with two holes, a
# square of 200 m and a right triangle of legs 200 m (net 940,000 m² on the map).
file(WRITE ${OUT}/holed_basin.geojson [=[{"type": "FeatureCollection",
"crs": {"type": "name", "properties": {"name": "urn:ogc:def:crs:EPSG::32613"}},
"features": [{"type": "Feature", "properties": {"name": "Holed Creek"}, "geometry": {"type": "Polygon",
"coordinates": [[[700300, 4399700], [701300, 4399700], [701300, 4398700], [700300, 4398700], [700300, 4399700]],
[[700400, 4399600], [700600, 4399600], [700600, 4399400], [700400, 4399400], [700400, 4399600]],
[[701000, 4398800], [701200, 4398800], [701000, 4399000], [701000, 4398800]]]}}]}
]=])
# parts_basin.geojson: "Islands", two squares on utm_quad.tif (100 m and 500 m a side), and "Bowtie", a
# ring that crosses itself at E 700300, N 4398200.
file(WRITE ${OUT}/parts_basin.geojson [=[{"type": "FeatureCollection",
"crs": {"type": "name", "properties": {"name": "urn:ogc:def:crs:EPSG::32613"}},
"features": [{"type": "Feature", "properties": {"name": "Islands"}, "geometry": {"type": "MultiPolygon",
"coordinates": [[[[700100, 4399900], [700200, 4399900], [700200, 4399800], [700100, 4399800], [700100, 4399900]]],
[[[702000, 4399000], [702500, 4399000], [702500, 4398500], [702000, 4398500], [702000, 4399000]]]]}},
{"type": "Feature", "properties": {"name": "Bowtie"}, "geometry": {"type": "Polygon", "coordinates":
[[[700100, 4398100], [700500, 4398300], [700500, 4398100], [700100, 4398300], [700100, 4398100]]]}}]}
]=])
