# Puts the web page together after the program is linked for WebAssembly: the program, Qt's
# loader, the page, its manifest and icons, and a service worker that keeps exactly these files.
# The page asks for the program under the version of the files it comes with, so a browser's cache
# never mixes two builds.
#
#   cmake -DBUILT=<folder of Nurvelo.js> -DSOURCE=<src/window> -DPAGE=<page folder> -P webpage.cmake
set(program Nurvelo.js Nurvelo.wasm qtloader.js)
set(others manifest.webmanifest nurvelo.svg nurvelo_32.png nurvelo_192.png nurvelo_512.png)
file(MAKE_DIRECTORY ${PAGE})
list(TRANSFORM program PREPEND ${BUILT}/ OUTPUT_VARIABLE built)
file(COPY ${built} ${SOURCE}/web/manifest.webmanifest ${SOURCE}/pictures/nurvelo.svg
          ${SOURCE}/pictures/nurvelo_32.png ${SOURCE}/pictures/nurvelo_192.png
          ${SOURCE}/pictures/nurvelo_512.png
     DESTINATION ${PAGE})

# SHA-256 of each file, and a version drawn from them all.
function(sums out version)
    set(entries "")
    set(contents "")
    foreach(file IN LISTS ARGN)
        file(SHA256 ${PAGE}/${file} sum)
        list(APPEND entries "./${file}=${sum}")
        string(APPEND contents ${sum})
    endforeach()
    string(SHA256 all "${contents}")
    string(SUBSTRING ${all} 0 16 all)
    set(${out} "${entries}" PARENT_SCOPE)
    set(${version} ${all} PARENT_SCOPE)
endfunction()

sums(entries PAGE_VERSION ${program} ${others})
configure_file(${SOURCE}/web/index.html ${PAGE}/index.html @ONLY)
sums(entries PAGE_VERSION index.html ${program} ${others})
# The folder itself too, for the address that names no file: it is index.html.
list(GET entries 0 index)
string(REPLACE "./index.html=" "./=" folder ${index})
list(JOIN entries " " PAGE_FILES)
set(PAGE_FILES "${folder} ${PAGE_FILES}")
configure_file(${SOURCE}/web/service-worker.js ${PAGE}/service-worker.js @ONLY)
