# The VST 3 SDK subset shipped by Debian's juce-modules-source-data, compiled from where
# the package installs it. Nothing of it is copied into this repository.
set(VST3_SDK_DIR "/usr/share/juce/modules/juce_audio_processors/format_types/VST3_SDK"
    CACHE PATH "Folder of the VST 3 SDK (pluginterfaces, base, public.sdk)")

if(NOT EXISTS "${VST3_SDK_DIR}/pluginterfaces/base/funknown.h")
  message(FATAL_ERROR "VST 3 SDK not found in ${VST3_SDK_DIR}; run scripts/setup.sh first "
                      "(it installs juce-modules-source-data) or set VST3_SDK_DIR.")
endif()

set(_sdk_sources
  pluginterfaces/base/conststringtable.cpp
  pluginterfaces/base/coreiids.cpp
  pluginterfaces/base/funknown.cpp
  pluginterfaces/base/ustring.cpp
  base/source/baseiids.cpp
  base/source/fbuffer.cpp
  base/source/fdebug.cpp
  base/source/fobject.cpp
  base/source/fstreamer.cpp
  base/source/fstring.cpp
  base/source/updatehandler.cpp
  base/thread/source/flock.cpp
  public.sdk/source/common/memorystream.cpp
  public.sdk/source/common/pluginview.cpp
  public.sdk/source/vst/vstbus.cpp
  public.sdk/source/vst/vstcomponent.cpp
  public.sdk/source/vst/vstcomponentbase.cpp
  public.sdk/source/vst/vsteditcontroller.cpp
  public.sdk/source/vst/vstinitiids.cpp
  public.sdk/source/vst/vstparameters.cpp
)
list(TRANSFORM _sdk_sources PREPEND "${VST3_SDK_DIR}/")

add_library(vst3sdk STATIC ${_sdk_sources})
target_include_directories(vst3sdk SYSTEM PUBLIC "${VST3_SDK_DIR}")
target_compile_definitions(vst3sdk PUBLIC $<IF:$<CONFIG:Debug>,DEVELOPMENT=1,RELEASE=1>)
target_compile_options(vst3sdk PRIVATE -w)
set_target_properties(vst3sdk PROPERTIES CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)
find_package(Threads REQUIRED)
target_link_libraries(vst3sdk PUBLIC Threads::Threads ${CMAKE_DL_LIBS})

# Host-side helpers of the subset (IHostApplication, IMessage, IAttributeList), used by
# our hosting library and by the VST 2 adapter, which hosts the plug-in's own classes.
add_library(vst3sdk_hosting STATIC
  "${VST3_SDK_DIR}/public.sdk/source/vst/hosting/hostclasses.cpp"
  "${VST3_SDK_DIR}/public.sdk/source/vst/hosting/pluginterfacesupport.cpp")
target_compile_options(vst3sdk_hosting PRIVATE -w)
target_link_libraries(vst3sdk_hosting PUBLIC vst3sdk)
