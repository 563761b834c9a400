# find_package(tarnovex CONFIG) gives the toolkit's static libraries as
# tarnovex::img, tarnovex::raster, tarnovex::font and tarnovex::laser; the
# last three bring tarnovex::img with them. Sources include the headers as
# <tarnovex/img/img.h> and so on.
include("${CMAKE_CURRENT_LIST_DIR}/tarnovexTargets.cmake")
