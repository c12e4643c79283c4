# Puts the web page together after the program is linked for WebAssembly: the program, Qt's
# loader, the page, its manifest and icons, and a service worker that keeps exactly these files,
# under a version drawn from their contents.
#
#   cmake -DBUILT=<folder of Nurvelo.js> -DSOURCE=<src/window> -DPAGE=<page folder> -P webpage.cmake
set(files index.html manifest.webmanifest Nurvelo.js Nurvelo.wasm qtloader.js nurvelo.svg
    nurvelo_32.png nurvelo_192.png nurvelo_512.png)
file(MAKE_DIRECTORY ${PAGE})
file(COPY ${BUILT}/Nurvelo.js ${BUILT}/Nurvelo.wasm ${BUILT}/qtloader.js
          ${SOURCE}/web/index.html ${SOURCE}/web/manifest.webmanifest ${SOURCE}/pictures/nurvelo.svg
          ${SOURCE}/pictures/nurvelo_32.png ${SOURCE}/pictures/nurvelo_192.png
          ${SOURCE}/pictures/nurvelo_512.png
     DESTINATION ${PAGE})

set(contents "")
foreach(file IN LISTS files)
    file(SHA256 ${PAGE}/${file} sum)
    string(APPEND contents ${sum})
endforeach()
string(SHA256 PAGE_VERSION "${contents}")
string(SUBSTRING ${PAGE_VERSION} 0 16 PAGE_VERSION)
# The folder itself too, for the address that names no file.
list(TRANSFORM files PREPEND "\"./")
list(TRANSFORM files APPEND "\"")
string(JOIN ", " PAGE_FILES "\"./\"" ${files})
configure_file(${SOURCE}/web/service-worker.js.in ${PAGE}/service-worker.js @ONLY)
