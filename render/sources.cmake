set(LUMTAR_RENDER_SOURCES
  render/frame.cpp
  render/rotation.cpp
)
