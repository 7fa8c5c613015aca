// Drawing one fixed line figure from its constant vertex block.
#include <GL/gl.h>

#include "content/shapes.h"

void draw_shape(const LineShape* shape) {
    glVertexPointer(2, GL_FLOAT, 0, shape->vertices());
    glDrawArrays(GL_LINES, 0, shape->vertex_count());
}
