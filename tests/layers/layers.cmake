# The engine's layering: each layer sees its own headers and those below it,
# and no header of a layer above it or beside it.
function(torvel_layer_probe layer expect header)
  string(REPLACE "/" "_" case "${header}")
  add_test(NAME Layers.${layer}.${expect}.${case}
    COMMAND ${CMAKE_CURRENT_LIST_DIR}/include-probe.sh ${expect} ${header} ${CMAKE_CXX_COMPILER}
            "-I$<JOIN:$<TARGET_PROPERTY:${layer},INTERFACE_INCLUDE_DIRECTORIES>,;-I>"
            "-I$<JOIN:$<TARGET_PROPERTY:${layer},INCLUDE_DIRECTORIES>,;-I>"
    COMMAND_EXPAND_LISTS
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
endfunction()

torvel_layer_probe(torvel_base sees base/sprintf.h)
torvel_layer_probe(torvel_base blind platform/system_info.h)
torvel_layer_probe(torvel_platform sees base/debug_trace.h)
torvel_layer_probe(torvel_platform blind config/settings_store.h)
torvel_layer_probe(torvel_config sees platform/ui_services.h)
torvel_layer_probe(torvel_config blind drive/drive_tables.h)
torvel_layer_probe(torvel_config blind notify/mail.h)
torvel_layer_probe(torvel_drive sees platform/system_info.h)
torvel_layer_probe(torvel_drive blind config/settings_store.h)
torvel_layer_probe(torvel_drive blind notify/event_log_file.h)
torvel_layer_probe(torvel_drive blind monitor/check.h)
torvel_layer_probe(torvel_notify sees config/settings_store.h)
torvel_layer_probe(torvel_notify blind drive/channel.h)
torvel_layer_probe(torvel_notify blind monitor/check.h)
torvel_layer_probe(torvel_monitor sees drive/refresh.h)
torvel_layer_probe(torvel_monitor sees notify/mail.h)
torvel_layer_probe(torvel_monitor blind ui/logic/disk_info.h)
